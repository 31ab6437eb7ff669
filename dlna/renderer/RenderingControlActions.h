#pragma once
// The RenderingControl actions (presets and master volume) and the vendor
// extension's picture commands.
#include <cstdint>
#include <string>

#include "renderer/InstanceAction.h"
#include "renderer/RenderingControlExListener.h"
#include "renderer/RenderingControlListener.h"

using RenderingControlAction = InstanceAction<RenderingControlListener>;

class ListPresetsAction : public RenderingControlAction {
public:
    ListPresetsAction(const ServiceInfo& service, RenderingControlListener* listener)
        : RenderingControlAction(service, "ListPresets", listener) {}
    int ProcessRequest(const std::string& address, ActionResults& results) override;
};

class SelectPresetAction : public RenderingControlAction {
public:
    SelectPresetAction(const ServiceInfo& service, RenderingControlListener* listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    std::string preset_name;
};

class GetVolumeAction : public RenderingControlAction {
public:
    GetVolumeAction(const ServiceInfo& service, RenderingControlListener* listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;
    // Controller side, after the answer was bound: 0, or 2 when
    // "CurrentVolume" is no volume.
    int ReadResponse(uint16_t& volume) const;

private:
    std::string channel;
};

class SetVolumeAction : public RenderingControlAction {
public:
    SetVolumeAction(const ServiceInfo& service, RenderingControlListener* listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    std::string channel;
    uint16_t desired_volume = 0;
};

using RenderingControlExAction = InstanceAction<RenderingControlExListener>;

using ZoomInAction = InstanceCommandAction<RenderingControlExListener, "ZoomIn",
                                           &RenderingControlExListener::OnZoomIn>;
using ZoomOutAction = InstanceCommandAction<RenderingControlExListener, "ZoomOut",
                                            &RenderingControlExListener::OnZoomOut>;
using RotateClockwiseAction = InstanceCommandAction<RenderingControlExListener, "RotateClockwise",
                                                    &RenderingControlExListener::OnRotateClockwise>;
using RotateCounterclockwiseAction =
    InstanceCommandAction<RenderingControlExListener, "RotateCounterclockwise",
                          &RenderingControlExListener::OnRotateCounterclockwise>;
