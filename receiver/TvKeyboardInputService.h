#pragma once
#include "KeyAction.h"
#include "UpnpService.h"

// Presses and releases keys by name.
class TvKeyboardInputService : public UpnpService {
public:
    TvKeyboardInputService(const ServiceInfo& info, std::shared_ptr<TvInputControl> control)
        : UpnpService(info) {
        Offer<KeyPressAction>("KeyPress", control);
        Offer<KeyReleaseAction>("KeyRelease", control);
    }
};
