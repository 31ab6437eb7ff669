#include "KeyAction.h"

KeyAction::KeyAction(const ServiceInfo& service, const std::string& name, int press,
                     std::shared_ptr<TvInputControl> control)
    : UpnpAction(service, name), press_(press), control_(std::move(control)) {
    AddInput("Key", &key);
}

int KeyAction::ProcessRequest(const std::string&, ActionResults&) {
    return control_->KeyboardControl(key, press_);
}
