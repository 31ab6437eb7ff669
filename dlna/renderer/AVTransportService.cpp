#include "AVTransportService.h"

#include "AVTransportActions.h"

AVTransportService::AVTransportService(const ServiceInfo& info, AVTransportListener* listener)
    : UpnpService(info) {
    Offer<SetAVTransportURIAction>("SetAVTransportURI", listener);
    Offer<SetNextAVTransportURIAction>("SetNextAVTransportURI", listener);
    Offer<GetMediaInfoAction>("GetMediaInfo", listener);
    Offer<GetTransportInfoAction>("GetTransportInfo", listener);
    Offer<GetPositionInfoAction>("GetPositionInfo", listener);
    Offer<GetDeviceCapabilitiesAction>("GetDeviceCapabilities", listener);
    Offer<GetTransportSettingsAction>("GetTransportSettings", listener);
    Offer<AVTransportStopAction>("Stop", listener);
    Offer<AVTransportPauseAction>("Pause", listener);
    Offer<AVTransportPlayAction>("Play", listener);
    Offer<AVTransportNextAction>("Next", listener);
    Offer<AVTransportPreviousAction>("Previous", listener);
    Offer<AVTransportSeekAction>("Seek", listener);
}
