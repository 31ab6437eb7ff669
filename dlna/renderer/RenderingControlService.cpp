#include "RenderingControlService.h"

#include "RenderingControlActions.h"

RenderingControlService::RenderingControlService(const ServiceInfo& info,
                                                 RenderingControlListener* listener)
    : UpnpService(info) {
    Offer<ListPresetsAction>("ListPresets", listener);
    Offer<SelectPresetAction>("SelectPreset", listener);
    Offer<GetVolumeAction>("GetVolume", listener);
    Offer<SetVolumeAction>("SetVolume", listener);
}

RenderingControlExService::RenderingControlExService(const ServiceInfo& info,
                                                     RenderingControlExListener* listener)
    : UpnpService(info) {
    Offer<ZoomInAction>("ZoomIn", listener);
    Offer<ZoomOutAction>("ZoomOut", listener);
    Offer<RotateClockwiseAction>("RotateClockwise", listener);
    Offer<RotateCounterclockwiseAction>("RotateCounterclockwise", listener);
}
