#pragma once
#include "KeyAction.h"
#include "UpnpService.h"

// Presses and releases keys by name.
class TvKeyboardInputService : public UpnpService {
public:
    explicit TvKeyboardInputService(const ServiceInfo& info) : UpnpService(info) {
        Offer<KeyPressAction>("KeyPress");
        Offer<KeyReleaseAction>("KeyRelease");
    }
};
