#include "renderer/RenderingControlService.h"

#include "common/ModeratedEvents.h"
#include "renderer/RenderingControlActions.h"
#include "renderer/RenderingControlChannel.h"

RenderingControlService::RenderingControlService(const ServiceInfo& info,
                                                 RenderingControlChannel* channel)
    : UpnpService(info), channel_(channel) {
    RenderingControlListener* listener = channel;
    Offer<ListPresetsAction>("ListPresets", listener);
    Offer<SelectPresetAction>("SelectPreset", listener);
    Offer<GetVolumeAction>("GetVolume", listener);
    Offer<SetVolumeAction>("SetVolume", listener);
    if (channel_) {
        watcher_ = std::make_shared<ModeratedEvents>(events, kRenderingControlEventNamespace);
        channel_->Watch(watcher_);
    }
}

EventValues RenderingControlService::InitialEvent() {
    if (!channel_) return UpnpService::InitialEvent();
    return {{"LastChange",
             LastChangeDocument(kRenderingControlEventNamespace, channel_->EventState())}};
}

RenderingControlExService::RenderingControlExService(const ServiceInfo& info,
                                                     RenderingControlExListener* listener)
    : UpnpService(info) {
    Offer<ZoomInAction>("ZoomIn", listener);
    Offer<ZoomOutAction>("ZoomOut", listener);
    Offer<RotateClockwiseAction>("RotateClockwise", listener);
    Offer<RotateCounterclockwiseAction>("RotateCounterclockwise", listener);
}
