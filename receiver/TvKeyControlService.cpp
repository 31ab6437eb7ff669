#include "TvKeyControlService.h"

#include "KeyMapAction.h"
#include "TvSystemActions.h"

TvKeyControlService::TvKeyControlService(const ServiceInfo& info,
                                         std::shared_ptr<TvKeyControlControl> control)
    : TvKeyMapService(info, "key"), control_(std::move(control)) {
    Offer<StartTVLiveAction>(kStartTVLive);
    Offer<StopTVLiveAction>(kStopTVLive);
    Offer<SendStringAction>(kSendString, control_);
    Offer<GetTVLiveAddrAction>(kGetTVLiveAddr, control_);
    Offer<GetTVLiveNegotiatedAddressAction>(kGetTVLiveNegotiatedAddr, control_);
    Offer<GetTVModeAction>(kGetTVMode, control_);
    Offer<GetServiceListAction>(kGetServiceList, control_);
}

std::string TvKeyControlService::KeyMapPath() const { return control_->key_map_path; }

std::shared_ptr<UpnpAction> TvKeyControlService::CreateMappedAction(const std::string& name,
                                                                    const std::string& key_value) {
    return std::make_shared<KeyMapAction>(service, name, key_value, control_);
}
