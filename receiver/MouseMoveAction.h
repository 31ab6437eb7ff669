#pragma once
#include <cstdint>
#include <memory>

#include "TvMouseControlControl.h"
#include "UpnpAction.h"

// Pointer moves of the mouse-control service, handed to SendKey as text.
class MouseMoveAction : public UpnpAction {
public:
    MouseMoveAction(const ServiceInfo& service, std::shared_ptr<TvMouseControlControl> control);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    int32_t x = 0;
    int32_t y = 0;

private:
    const std::shared_ptr<TvMouseControlControl> control_;
};

class MouseMoveExAction : public UpnpAction {
public:
    MouseMoveExAction(const ServiceInfo& service, std::shared_ptr<TvMouseControlControl> control);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;

private:
    const std::shared_ptr<TvMouseControlControl> control_;
};
