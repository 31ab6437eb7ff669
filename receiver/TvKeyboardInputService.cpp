#include "TvKeyboardInputService.h"

#include "KeyAction.h"

std::shared_ptr<UpnpAction> TvKeyboardInputService::CreateAction(const std::string& name) {
    if (name == "KeyPress") return std::make_shared<KeyPressAction>(service);
    if (name == "KeyRelease") return std::make_shared<KeyReleaseAction>(service);
    return {};
}
