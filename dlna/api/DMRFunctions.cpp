// The renderer family: the host stores the state the renderer's queries
// answer from, and reads or rewrites the renderer's identity.
#include <mutex>

#include "DLNA.h"
#include "UpnpDevice.h"
#include "UpnpUtility.h"
#include "api/DLNAContext.h"
#include "api/DeviceInfoRecord.h"
#include "common/ApiGuard.h"
#include "renderer/MediaRenderer.h"

namespace {

constexpr int kOk = DLNA_OK;
constexpr int kInvalidArgument = DLNA_E_INVALID_ARGUMENT;

MediaRenderer& Renderer() {
    return DLNAContext::Instance().Renderer();
}

// Stores one state group; an unknown instance is logged by the channel and
// still answers 0.
// `required` names what a record must carry besides being there.
template <class R>
int StoreGroup(const char* function, uint32_t id, const CRecordOf<R>* record,
               int (AVTransportChannel::*store)(uint32_t, R),
               bool (*required)(const CRecordOf<R>&) = nullptr) {
    return Guarded(function, kInvalidArgument, [&] {
        if (!record || (required && !required(*record))) return kInvalidArgument;
        (Renderer().AVTransport().*store)(id, FromRecord<R>(*record));
        return kOk;
    });
}

}  // namespace

extern "C" {

int DLNA_DMR_GetDeviceInfo(DLNA_DEVICE_INFO* info) {
    return Guarded("DLNA_DMR_GetDeviceInfo", kInvalidArgument, [&] {
        if (!info) return kInvalidArgument;
        auto device = Renderer().Device();
        if (!device) return kInvalidArgument;
        // The request path rewrites the device's address under this lock.
        std::lock_guard<std::recursive_mutex> guard(UpnpUtility::Instance().Lock());
        FillDeviceInfo(device->Info(), info);
        return kOk;
    });
}

int DLNA_DMR_SetDeviceInfo(const DLNA_DEVICE_INFO* info) {
    return Guarded("DLNA_DMR_SetDeviceInfo", kInvalidArgument, [&] {
        if (!info) return kInvalidArgument;
        auto device = Renderer().Device();
        if (!device) return kInvalidArgument;
        std::lock_guard<std::recursive_mutex> guard(UpnpUtility::Instance().Lock());
        return device->SetDeviceInfo(MergeDeviceInfo(device->Info(), *info)) == 0
                   ? kOk
                   : static_cast<int>(DLNA_E_FAILED);
    });
}

int DLNA_DMR_SetVolume(uint32_t id, const DLNA_VOLUME* volume) {
    return Guarded("DLNA_DMR_SetVolume", kInvalidArgument, [&] {
        if (!volume) return kInvalidArgument;
        return Renderer().RenderingControl().SetVolume(id, *volume) == 0
                   ? kOk
                   : static_cast<int>(DLNA_E_INVALID_INSTANCE);
    });
}

int DLNA_DMR_SetDeviceCapabilities(uint32_t id, const DLNA_DEVICE_CAPABILITIES* caps) {
    return Guarded("DLNA_DMR_SetDeviceCapabilities", kInvalidArgument, [&] {
        if (!caps || !caps->play_media || !caps->rec_media || !caps->rec_quality_modes) {
            LogLine(DlnaLog(), LogLevel::Error) << "Invalid DMR_SetDeviceCapabilities arguments.";
            return kInvalidArgument;
        }
        return Renderer().AVTransport().SetDeviceCapabilities(
                   id, FromRecord<DeviceCapabilities>(*caps)) == 0
                   ? kOk
                   : kInvalidArgument;
    });
}

int DLNA_DMR_SetMediaInfo(uint32_t id, const DLNA_MEDIA_INFO* info) {
    return StoreGroup("DLNA_DMR_SetMediaInfo", id, info, &AVTransportChannel::SetMediaInfo);
}

int DLNA_DMR_SetTransportInfo(uint32_t id, const DLNA_TRANSPORT_INFO* info) {
    return StoreGroup("DLNA_DMR_SetTransportInfo", id, info, &AVTransportChannel::SetTransportInfo);
}

int DLNA_DMR_SetPositionInfo(uint32_t id, const DLNA_POSITION_INFO* info) {
    // The track's URI is the one string a position must carry.
    return StoreGroup(
        "DLNA_DMR_SetPositionInfo", id, info, &AVTransportChannel::SetPositionInfo,
        +[](const DLNA_POSITION_INFO& position) { return position.track_uri != nullptr; });
}

int DLNA_DMR_SetTransportSettings(uint32_t id, const DLNA_TRANSPORT_SETTINGS* settings) {
    return StoreGroup("DLNA_DMR_SetTransportSettings", id, settings,
                      &AVTransportChannel::SetTransportSettings);
}

}  // extern "C"
