#include "TvMouseControlService.h"

#include "MouseButtonAction.h"
#include "MouseMoveAction.h"
#include "TvMouseControlControl.h"

std::string TvMouseControlService::KeyMapPath() const {
    return TvMouseControlControl::Instance()->key_map_path;
}

std::shared_ptr<UpnpAction> TvMouseControlService::CreateMappedAction(
    const std::string& name, const std::string& key_value) {
    return std::make_shared<MouseButtonAction>(service, name, key_value);
}

std::shared_ptr<UpnpAction> TvMouseControlService::CreateFixedAction(const std::string& name) {
    if (name == "MouseMove") return std::make_shared<MouseMoveAction>(service);
    if (name == "MouseMoveEx") return std::make_shared<MouseMoveExAction>(service);
    return {};
}
