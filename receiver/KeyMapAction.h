#pragma once
#include <memory>

#include "TvKeyControlControl.h"
#include "UpnpAction.h"

// A remote-control key named in the key map; reported, not injected.
class KeyMapAction : public UpnpAction {
public:
    KeyMapAction(const ServiceInfo& service, const std::string& name, std::string key_value,
                 std::shared_ptr<TvKeyControlControl> control)
        : UpnpAction(service, name),
          key_value(std::move(key_value)),
          control_(std::move(control)) {}

    int ProcessRequest(const std::string& address, ActionResults& results) override;

    const std::string key_value;

private:
    const std::shared_ptr<TvKeyControlControl> control_;
};
