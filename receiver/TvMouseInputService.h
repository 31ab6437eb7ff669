#pragma once
#include "InputMouseAction.h"
#include "UpnpService.h"

// Pointer buttons and motion, injected into the desktop.
class TvMouseInputService : public UpnpService {
public:
    explicit TvMouseInputService(const ServiceInfo& info) : UpnpService(info) {
        Offer<LeftButtonPressAction>(kLeftButtonPress);
        Offer<LeftButtonReleaseAction>(kLeftButtonRelease);
        Offer<MiddleButtonPressAction>(kMiddleButtonPress);
        Offer<MiddleButtonReleaseAction>(kMiddleButtonRelease);
        Offer<RightButtonPressAction>(kRightButtonPress);
        Offer<RightButtonReleaseAction>(kRightButtonRelease);
        Offer<MouseMotionAction>(kMotion);
    }
};
