#pragma once
#include "InputMouseAction.h"
#include "UpnpService.h"

// Pointer buttons and motion, injected into the desktop.
class TvMouseInputService : public UpnpService {
public:
    TvMouseInputService(const ServiceInfo& info, std::shared_ptr<TvInputControl> control)
        : UpnpService(info) {
        Offer<LeftButtonPressAction>(kLeftButtonPress, control);
        Offer<LeftButtonReleaseAction>(kLeftButtonRelease, control);
        Offer<MiddleButtonPressAction>(kMiddleButtonPress, control);
        Offer<MiddleButtonReleaseAction>(kMiddleButtonRelease, control);
        Offer<RightButtonPressAction>(kRightButtonPress, control);
        Offer<RightButtonReleaseAction>(kRightButtonRelease, control);
        Offer<MouseMotionAction>(kMotion, control);
    }
};
