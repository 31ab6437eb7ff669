#include "renderer/RenderingControlActions.h"

#include "UpnpErrorMessages.h"
#include "common/DlnaLog.h"
#include "renderer/RendererTables.h"

int ListPresetsAction::ProcessRequest(const std::string&, ActionResults& results) {
    std::string presets;
    const int result = listener ? listener->OnListPresets(instance_id, &presets)
                                : upnp_error::kActionFailed;
    if (result == 0) results.emplace_back("CurrentPresetNameList", presets);
    LogLine(DlnaLog(), LogLevel::Info)
        << "InstanceID: " << instance_id << ", CurrentPresetNameList: " << presets;
    return result;
}

SelectPresetAction::SelectPresetAction(const ServiceInfo& service,
                                       RenderingControlListener* listener)
    : RenderingControlAction(service, "SelectPreset", listener) {
    AddInput("PresetName", &preset_name);
}

int SelectPresetAction::ProcessRequest(const std::string&, ActionResults&) {
    return listener ? listener->OnSelectPreset(instance_id, preset_name)
                    : upnp_error::kActionFailed;
}

GetVolumeAction::GetVolumeAction(const ServiceInfo& service, RenderingControlListener* listener)
    : RenderingControlAction(service, "GetVolume", listener) {
    AddInput("Channel", &channel);
}

int GetVolumeAction::ProcessRequest(const std::string&, ActionResults& results) {
    const auto channel_value = kChannelTable.Value(channel);
    if (!channel_value) {
        LogLine(DlnaLog(), LogLevel::Error) << "Invalid request parameter: " << LogSafe(channel);
        return upnp_error::kInvalidArgs;
    }
    DLNA_CHANNEL_EVENT event{instance_id, *channel_value};
    uint16_t volume = 0;
    const int result =
        listener ? listener->OnGetVolume(&event, &volume) : upnp_error::kActionFailed;
    if (result == 0)
        results.emplace_back("CurrentVolume", volume);
    else
        volume = 0;
    LogLine(DlnaLog(), LogLevel::Info)
        << "GetVolume: InstanceID=" << instance_id << ", Channel=" << LogSafe(channel)
        << ", CurrentVolume=" << volume;
    return result;
}

int GetVolumeAction::ReadResponse(uint16_t& volume) const {
    uint16_t value = 0;
    if (!ConvertParameter(ResponseValue("CurrentVolume"), value)) return 2;
    volume = value;
    return 0;
}

SetVolumeAction::SetVolumeAction(const ServiceInfo& service, RenderingControlListener* listener)
    : RenderingControlAction(service, "SetVolume", listener) {
    AddInput("Channel", &channel);
    AddInput("DesiredVolume", &desired_volume);
}

int SetVolumeAction::ProcessRequest(const std::string&, ActionResults&) {
    // Any other channel text is passed on as -1, not refused.
    DLNA_VOLUME_EVENT event{instance_id, kChannelTable.Value(channel).value_or(-1), desired_volume};
    const int result = listener ? listener->OnSetVolume(&event) : upnp_error::kActionFailed;
    LogLine(DlnaLog(), LogLevel::Info)
        << "SetVolume: InstanceID=" << instance_id << ", Channel=" << LogSafe(channel)
        << ", DesiredVolume=" << desired_volume;
    return result;
}
