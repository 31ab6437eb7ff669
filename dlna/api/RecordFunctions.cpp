// Release of the strings in records a controller getter filled.
#include "DLNA.h"
#include "common/ApiGuard.h"
#include "renderer/AVTransportRecords.h"

extern "C" {

int DLNA_DMRC_FreeDeviceCapabilities(DLNA_DEVICE_CAPABILITIES* caps) {
    return Guarded("DLNA_DMRC_FreeDeviceCapabilities", static_cast<int>(DLNA_OK), [&] {
        FreeRecordStrings<DeviceCapabilities>(caps);
        return static_cast<int>(DLNA_OK);
    });
}

int DLNA_DMRC_FreeMediaInfo(DLNA_MEDIA_INFO* info) {
    return Guarded("DLNA_DMRC_FreeMediaInfo", static_cast<int>(DLNA_OK), [&] {
        FreeRecordStrings<MediaInfo>(info);
        return static_cast<int>(DLNA_OK);
    });
}

int DLNA_DMRC_FreeTransportInfo(DLNA_TRANSPORT_INFO* info) {
    return Guarded("DLNA_DMRC_FreeTransportInfo", static_cast<int>(DLNA_OK), [&] {
        FreeRecordStrings<TransportInfo>(info);
        return static_cast<int>(DLNA_OK);
    });
}

int DLNA_DMRC_FreePositionInfo(DLNA_POSITION_INFO* info) {
    return Guarded("DLNA_DMRC_FreePositionInfo", static_cast<int>(DLNA_OK), [&] {
        FreeRecordStrings<PositionInfo>(info);
        return static_cast<int>(DLNA_OK);
    });
}

}  // extern "C"
