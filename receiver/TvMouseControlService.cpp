#include "TvMouseControlService.h"

#include "MouseButtonAction.h"
#include "MouseMoveAction.h"
#include "TvMouseControlControl.h"

TvMouseControlService::TvMouseControlService(const ServiceInfo& info)
    : TvKeyMapService(info, "mouse") {
    Offer<MouseMoveAction>("MouseMove");
    Offer<MouseMoveExAction>("MouseMoveEx");
}

std::string TvMouseControlService::KeyMapPath() const {
    return TvMouseControlControl::Instance()->key_map_path;
}

std::shared_ptr<UpnpAction> TvMouseControlService::CreateMappedAction(
    const std::string& name, const std::string& key_value) {
    return std::make_shared<MouseButtonAction>(service, name, key_value);
}
