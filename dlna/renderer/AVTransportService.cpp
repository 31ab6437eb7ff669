#include "renderer/AVTransportService.h"

#include "common/ModeratedEvents.h"
#include "renderer/AVTransportActions.h"
#include "renderer/AVTransportChannel.h"

AVTransportService::AVTransportService(const ServiceInfo& info, AVTransportChannel* channel)
    : UpnpService(info), channel_(channel) {
    AVTransportListener* listener = channel;
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
    if (channel_) {
        watcher_ = std::make_shared<ModeratedEvents>(events, kAVTransportEventNamespace);
        channel_->Watch(watcher_);
    }
}

EventValues AVTransportService::InitialEvent() {
    if (!channel_) return UpnpService::InitialEvent();
    return {{"LastChange", LastChangeDocument(kAVTransportEventNamespace, channel_->EventState())}};
}
