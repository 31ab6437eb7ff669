#include "TvTouchscreenInputService.h"

#include "MultiTouchAction.h"
#include "SingleTouchAction.h"

std::shared_ptr<UpnpAction> TvTouchscreenInputService::CreateAction(const std::string& name) {
    if (name == "MultiTouch") return std::make_shared<MultiTouchAction>(service);
    if (name == "SingleTouchPress") return std::make_shared<SingleTouchPressAction>(service);
    if (name == "SingleTouchRelease") return std::make_shared<SingleTouchReleaseAction>(service);
    if (name == "SingleTouchMotion") return std::make_shared<SingleTouchMotionAction>(service);
    return {};
}
