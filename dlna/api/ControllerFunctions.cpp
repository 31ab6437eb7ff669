// What both controller families ask of a remote device: its identity and
// its ConnectionManager's protocol list.
#include "DLNA.h"
#include "api/DLNAContext.h"
#include "api/DeviceInfoRecord.h"
#include "common/ApiGuard.h"
#include "connection/ConnectionManagerActions.h"
#include "content/ProtocolInfo.h"
#include "controller/KnownDevices.h"
#include "controller/RemoteAction.h"

namespace {

// The renderer's "Sink" or the server's "Source" list as a new array.
int RemoteProtocolInfo(const char* function, DLNA_DEVICE_HANDLE device, const char* list,
                       DLNA_PROTOCOL_INFO** infos, int32_t* count) {
    return Guarded(function, static_cast<int>(DLNA_E_ACTION_FAILED), [&] {
        if (!infos || !count) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        *infos = nullptr;
        *count = 0;
        return CallRemote<GetProtocolInfoAction>(
            DLNAContext::Instance().Devices(), device, "GetProtocolInfo", {},
            [&](GetProtocolInfoAction& answered) {
                const ProtocolInfoList parsed =
                    ProtocolInfoList::Parse(answered.ResponseValue(list));
                // An array a host counts with a signed 32-bit number.
                if (parsed.Size() > static_cast<size_t>(INT32_MAX))
                    return static_cast<int>(DLNA_E_NO_ACTION);
                *infos = parsed.ToArray();
                *count = static_cast<int32_t>(parsed.Size());
                return static_cast<int>(DLNA_OK);
            });
    });
}

}  // namespace

extern "C" {

int DLNA_DMRC_GetDeviceInfo(DLNA_DEVICE_HANDLE device, DLNA_DEVICE_INFO* info) {
    return Guarded("DLNA_DMRC_GetDeviceInfo", static_cast<int>(DLNA_E_INVALID_ARGUMENT), [&] {
        const auto client = DLNAContext::Instance().Devices().Find(device);
        if (!info || !client) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        FillDeviceInfo(client->Info(), info);
        return static_cast<int>(DLNA_OK);
    });
}

// One and the same function under both families' names.
int DLNA_DMSC_GetDeviceInfo(DLNA_DEVICE_HANDLE device, DLNA_DEVICE_INFO* info)
    __attribute__((alias("DLNA_DMRC_GetDeviceInfo")));

int DLNA_DMRC_GetProtocolInfo(DLNA_DEVICE_HANDLE device, DLNA_PROTOCOL_INFO** infos,
                              int32_t* count) {
    return RemoteProtocolInfo("DLNA_DMRC_GetProtocolInfo", device, "Sink", infos, count);
}

int DLNA_DMSC_GetProtocolInfo(DLNA_DEVICE_HANDLE device, DLNA_PROTOCOL_INFO** infos,
                              int32_t* count) {
    return RemoteProtocolInfo("DLNA_DMSC_GetProtocolInfo", device, "Source", infos, count);
}

}  // extern "C"
