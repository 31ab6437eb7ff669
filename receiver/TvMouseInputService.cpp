#include "TvMouseInputService.h"

#include "InputMouseAction.h"

std::shared_ptr<UpnpAction> TvMouseInputService::CreateAction(const std::string& name) {
    if (name == kLeftButtonPress) return std::make_shared<LeftButtonPressAction>(service);
    if (name == kLeftButtonRelease) return std::make_shared<LeftButtonReleaseAction>(service);
    if (name == kMiddleButtonPress) return std::make_shared<MiddleButtonPressAction>(service);
    if (name == kMiddleButtonRelease) return std::make_shared<MiddleButtonReleaseAction>(service);
    if (name == kRightButtonPress) return std::make_shared<RightButtonPressAction>(service);
    if (name == kRightButtonRelease) return std::make_shared<RightButtonReleaseAction>(service);
    if (name == kMotion) return std::make_shared<MouseMotionAction>(service);
    return {};
}
