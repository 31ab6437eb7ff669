#include "TvMouseControlService.h"

#include "MouseButtonAction.h"
#include "MouseMoveAction.h"

TvMouseControlService::TvMouseControlService(const ServiceInfo& info,
                                             std::shared_ptr<TvMouseControlControl> control)
    : TvKeyMapService(info, "mouse"), control_(std::move(control)) {
    Offer<MouseMoveAction>("MouseMove", control_);
    Offer<MouseMoveExAction>("MouseMoveEx", control_);
}

std::string TvMouseControlService::KeyMapPath() const { return control_->key_map_path; }

std::shared_ptr<UpnpAction> TvMouseControlService::CreateMappedAction(
    const std::string& name, const std::string& key_value) {
    return std::make_shared<MouseButtonAction>(service, name, key_value, control_);
}
