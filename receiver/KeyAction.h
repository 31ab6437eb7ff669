#pragma once
#include <memory>

#include "TvInputControl.h"
#include "UpnpAction.h"

// Presses or releases one key of the key-name table.
class KeyAction : public UpnpAction {
public:
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    std::string key;

protected:
    // press: 1 press, 0 release.
    KeyAction(const ServiceInfo& service, const std::string& name, int press,
              std::shared_ptr<TvInputControl> control);

private:
    const int press_;
    const std::shared_ptr<TvInputControl> control_;
};

class KeyPressAction : public KeyAction {
public:
    KeyPressAction(const ServiceInfo& service, std::shared_ptr<TvInputControl> control)
        : KeyAction(service, "KeyPress", 1, std::move(control)) {}
};

class KeyReleaseAction : public KeyAction {
public:
    KeyReleaseAction(const ServiceInfo& service, std::shared_ptr<TvInputControl> control)
        : KeyAction(service, "KeyRelease", 0, std::move(control)) {}
};
