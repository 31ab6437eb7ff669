#pragma once
#include "UpnpAction.h"

// A remote-control key named in the key map; reported, not injected.
class KeyMapAction : public UpnpAction {
public:
    KeyMapAction(const ServiceInfo& service, const std::string& name, std::string key_value)
        : UpnpAction(service, name), key_value(std::move(key_value)) {}

    int ProcessRequest(const std::string& address, ActionResults& results) override;

    const std::string key_value;
};
