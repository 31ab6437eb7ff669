#include "TvKeyControlService.h"

#include "KeyMapAction.h"
#include "TvKeyControlControl.h"
#include "TvSystemActions.h"

std::string TvKeyControlService::KeyMapPath() const {
    return TvKeyControlControl::Instance()->key_map_path;
}

std::shared_ptr<UpnpAction> TvKeyControlService::CreateMappedAction(const std::string& name,
                                                                    const std::string& key_value) {
    return std::make_shared<KeyMapAction>(service, name, key_value);
}

std::shared_ptr<UpnpAction> TvKeyControlService::CreateFixedAction(const std::string& name) {
    if (name == kStartTVLive) return std::make_shared<StartTVLiveAction>(service);
    if (name == kStopTVLive) return std::make_shared<StopTVLiveAction>(service);
    if (name == kSendString) return std::make_shared<SendStringAction>(service);
    if (name == kGetTVLiveAddr) return std::make_shared<GetTVLiveAddrAction>(service);
    if (name == kGetTVLiveNegotiatedAddr)
        return std::make_shared<GetTVLiveNegotiatedAddressAction>(service);
    if (name == kGetTVMode) return std::make_shared<GetTVModeAction>(service);
    if (name == kGetServiceList) return std::make_shared<GetServiceListAction>(service);
    return {};
}
