#include "KeyAction.h"

#include "TvInputControl.h"

KeyAction::KeyAction(const ServiceInfo& service, const std::string& name, int press)
    : UpnpAction(service, name), press_(press) {
    AddInput("Key", &key);
}

int KeyAction::ProcessRequest(const std::string&, ActionResults&) {
    return TvInputControl::Instance()->KeyboardControl(key, press_);
}
