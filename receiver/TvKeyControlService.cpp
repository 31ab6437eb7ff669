#include "TvKeyControlService.h"

#include "KeyMapAction.h"
#include "TvKeyControlControl.h"
#include "TvSystemActions.h"

TvKeyControlService::TvKeyControlService(const ServiceInfo& info) : TvKeyMapService(info, "key") {
    Offer<StartTVLiveAction>(kStartTVLive);
    Offer<StopTVLiveAction>(kStopTVLive);
    Offer<SendStringAction>(kSendString);
    Offer<GetTVLiveAddrAction>(kGetTVLiveAddr);
    Offer<GetTVLiveNegotiatedAddressAction>(kGetTVLiveNegotiatedAddr);
    Offer<GetTVModeAction>(kGetTVMode);
    Offer<GetServiceListAction>(kGetServiceList);
}

std::string TvKeyControlService::KeyMapPath() const {
    return TvKeyControlControl::Instance()->key_map_path;
}

std::shared_ptr<UpnpAction> TvKeyControlService::CreateMappedAction(const std::string& name,
                                                                    const std::string& key_value) {
    return std::make_shared<KeyMapAction>(service, name, key_value);
}
