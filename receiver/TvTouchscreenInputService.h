#pragma once
#include "MultiTouchAction.h"
#include "SingleTouchAction.h"
#include "UpnpService.h"

// Touch input; checked and logged, not injected.
class TvTouchscreenInputService : public UpnpService {
public:
    explicit TvTouchscreenInputService(const ServiceInfo& info) : UpnpService(info) {
        Offer<MultiTouchAction>("MultiTouch");
        Offer<SingleTouchPressAction>("SingleTouchPress");
        Offer<SingleTouchReleaseAction>("SingleTouchRelease");
        Offer<SingleTouchMotionAction>("SingleTouchMotion");
    }
};
