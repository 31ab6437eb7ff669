#pragma once
#include "UpnpAction.h"

// Presses or releases one key of the key-name table.
class KeyAction : public UpnpAction {
public:
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    std::string key;

protected:
    // press: 1 press, 0 release.
    KeyAction(const ServiceInfo& service, const std::string& name, int press);

private:
    const int press_;
};

class KeyPressAction : public KeyAction {
public:
    explicit KeyPressAction(const ServiceInfo& service) : KeyAction(service, "KeyPress", 1) {}
};

class KeyReleaseAction : public KeyAction {
public:
    explicit KeyReleaseAction(const ServiceInfo& service) : KeyAction(service, "KeyRelease", 0) {}
};
