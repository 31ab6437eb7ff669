// The renderer controller family: AVTransport, RenderingControl and the
// vendor picture commands sent to a remote renderer.
#include <cstring>

#include "DLNA.h"
#include "UpnpErrorMessages.h"
#include "api/DLNAContext.h"
#include "common/ApiGuard.h"
#include "controller/KnownDevices.h"
#include "controller/RemoteAction.h"
#include "renderer/AVTransportActions.h"
#include "renderer/RendererTables.h"
#include "renderer/RenderingControlActions.h"

namespace {

constexpr int kFailed = DLNA_E_ACTION_FAILED;

// A renderer refuses a URI with "Action failed".
int UriRefused(int code, const UpnpClient&) {
    return code == upnp_error::kActionFailed ? DLNA_E_FAILED : DLNA_E_ACTION_FAILED;
}

int Command(const char* function, DLNA_DEVICE_HANDLE device, const char* action, uint32_t instance,
            Inputs more = {}) {
    return Guarded(function, kFailed, [&] {
        return CallRemote(DLNAContext::Instance().Devices(), device, action,
                          InstanceInputs(instance, std::move(more)));
    });
}

// The record is cleared first, so a host may free it whatever the answer.
template <class A>
int Query(const char* function, DLNA_DEVICE_HANDLE device, const char* action, uint32_t instance,
          CRecordOf<typename A::Record>* record) {
    using R = typename A::Record;
    return Guarded(function, kFailed, [&] {
        if (!record) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        *record = {};
        return CallRemote<A>(DLNAContext::Instance().Devices(), device, action,
                             InstanceInputs(instance), [&](A& answered) {
                                 R value;
                                 if (const int result = answered.ReadResponse(value)) return result;
                                 CRecordOf<R> filled{};
                                 try {
                                     CopyToRecord(value, filled);
                                 } catch (...) {
                                     FreeRecordStrings<R>(&filled);
                                     throw;
                                 }
                                 *record = filled;
                                 return static_cast<int>(DLNA_OK);
                             });
    });
}

// Volume calls address instance 0 whatever the host passed.
template <class A, class Read>
int Volume(const char* function, DLNA_DEVICE_HANDLE device, const char* action,
           const DLNA_VOLUME* volume, Inputs more, Read&& read) {
    return Guarded(function, kFailed, [&] {
        if (!volume) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        const auto channel = kChannelTable.Text(volume->channel);
        if (!channel) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        more.emplace(more.begin(), "Channel", std::string(*channel));
        return CallRemote<A>(DLNAContext::Instance().Devices(), device, action,
                             InstanceInputs(0, more), read);
    });
}

}  // namespace

extern "C" {

int DLNA_DMRC_GetDeviceCapabilities(DLNA_DEVICE_HANDLE device, uint32_t id,
                                    DLNA_DEVICE_CAPABILITIES* caps) {
    return Query<GetDeviceCapabilitiesAction>("DLNA_DMRC_GetDeviceCapabilities", device,
                                              "GetDeviceCapabilities", id, caps);
}

int DLNA_DMRC_GetMediaInfo(DLNA_DEVICE_HANDLE device, uint32_t id, DLNA_MEDIA_INFO* info) {
    return Query<GetMediaInfoAction>("DLNA_DMRC_GetMediaInfo", device, "GetMediaInfo", id, info);
}

int DLNA_DMRC_GetTransportInfo(DLNA_DEVICE_HANDLE device, uint32_t id, DLNA_TRANSPORT_INFO* info) {
    return Query<GetTransportInfoAction>("DLNA_DMRC_GetTransportInfo", device, "GetTransportInfo",
                                         id, info);
}

int DLNA_DMRC_GetPositionInfo(DLNA_DEVICE_HANDLE device, uint32_t id, DLNA_POSITION_INFO* info) {
    return Query<GetPositionInfoAction>("DLNA_DMRC_GetPositionInfo", device, "GetPositionInfo", id,
                                        info);
}

int DLNA_DMRC_GetTransportSettings(DLNA_DEVICE_HANDLE device, uint32_t id,
                                   DLNA_TRANSPORT_SETTINGS* settings) {
    return Query<GetTransportSettingsAction>("DLNA_DMRC_GetTransportSettings", device,
                                             "GetTransportSettings", id, settings);
}

int DLNA_DMRC_SetAVTransportURI(DLNA_DEVICE_HANDLE device, uint32_t id, const char* uri,
                                const char* metadata) {
    return Guarded("DLNA_DMRC_SetAVTransportURI", kFailed, [&] {
        if (!uri) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        return CallRemote(
            DLNAContext::Instance().Devices(), device, "SetAVTransportURI",
            InstanceInputs(id, {{"CurrentURI", uri}, {"CurrentURIMetaData", TextOf(metadata)}}),
            UriRefused);
    });
}

int DLNA_DMRC_Play(DLNA_DEVICE_HANDLE device, uint32_t id, const char* speed) {
    if (!speed) return DLNA_E_INVALID_ARGUMENT;
    return Command("DLNA_DMRC_Play", device, "Play", id, {{"Speed", speed}});
}

int DLNA_DMRC_Pause(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_Pause", device, "Pause", id);
}

int DLNA_DMRC_Stop(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_Stop", device, "Stop", id);
}

int DLNA_DMRC_Previous(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_Previous", device, "Previous", id);
}

int DLNA_DMRC_Next(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_Next", device, "Next", id);
}

int DLNA_DMRC_Seek(DLNA_DEVICE_HANDLE device, uint32_t id, DLNA_SEEK_UNIT unit,
                   const char* target) {
    // The unit is read as the integer a C host may have stored.
    EnumValue<DLNA_SEEK_UNIT> stored;
    std::memcpy(&stored.raw, &unit, sizeof stored.raw);
    const auto unit_text = kSeekUnitTable.Text(stored);
    if (!target || !unit_text) return DLNA_E_INVALID_ARGUMENT;
    return Command("DLNA_DMRC_Seek", device, "Seek", id,
                   {{"Unit", std::string(*unit_text)}, {"Target", target}});
}

int DLNA_DMRC_GetVolume(DLNA_DEVICE_HANDLE device, uint32_t, DLNA_VOLUME* volume) {
    return Volume<GetVolumeAction>(
        "DLNA_DMRC_GetVolume", device, "GetVolume", volume, {},
        [&](GetVolumeAction& answered) { return answered.ReadResponse(volume->volume); });
}

int DLNA_DMRC_SetVolume(DLNA_DEVICE_HANDLE device, uint32_t, const DLNA_VOLUME* volume) {
    return Volume<SetVolumeAction>(
        "DLNA_DMRC_SetVolume", device, "SetVolume", volume,
        {{"DesiredVolume", volume ? std::to_string(volume->volume) : ""}},
        [](SetVolumeAction&) { return static_cast<int>(DLNA_OK); });
}

int DLNA_DMRC_ZoomIn(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_ZoomIn", device, "ZoomIn", id);
}

int DLNA_DMRC_ZoomOut(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_ZoomOut", device, "ZoomOut", id);
}

int DLNA_DMRC_RotateClockwise(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_RotateClockwise", device, "RotateClockwise", id);
}

int DLNA_DMRC_RotateCounterClockwise(DLNA_DEVICE_HANDLE device, uint32_t id) {
    return Command("DLNA_DMRC_RotateCounterClockwise", device, "RotateCounterclockwise", id);
}

}  // extern "C"
