#pragma once
#include "UpnpAction.h"

// A mouse-control entry named in the key map; its value goes to SendKey.
class MouseButtonAction : public UpnpAction {
public:
    MouseButtonAction(const ServiceInfo& service, const std::string& name, std::string key_value)
        : UpnpAction(service, name), key_value(std::move(key_value)) {}

    int ProcessRequest(const std::string& address, ActionResults& results) override;

    const std::string key_value;
};
