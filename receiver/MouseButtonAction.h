#pragma once
#include <memory>

#include "TvMouseControlControl.h"
#include "UpnpAction.h"

// A mouse-control entry named in the key map; its value goes to SendKey.
class MouseButtonAction : public UpnpAction {
public:
    MouseButtonAction(const ServiceInfo& service, const std::string& name, std::string key_value,
                      std::shared_ptr<TvMouseControlControl> control)
        : UpnpAction(service, name),
          key_value(std::move(key_value)),
          control_(std::move(control)) {}

    int ProcessRequest(const std::string& address, ActionResults& results) override;

    const std::string key_value;

private:
    const std::shared_ptr<TvMouseControlControl> control_;
};
