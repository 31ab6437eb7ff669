#pragma once
#include <cstdint>

#include "UpnpAction.h"

// Pointer moves of the mouse-control service, handed to SendKey as text.
class MouseMoveAction : public UpnpAction {
public:
    explicit MouseMoveAction(const ServiceInfo& service);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    int32_t x = 0;
    int32_t y = 0;
};

class MouseMoveExAction : public UpnpAction {
public:
    explicit MouseMoveExAction(const ServiceInfo& service);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
};
