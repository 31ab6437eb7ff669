// The server family's device functions: the local server's identity.
#include <mutex>

#include "DLNA.h"
#include "UpnpDevice.h"
#include "UpnpUtility.h"
#include "api/DLNAContext.h"
#include "api/DeviceInfoRecord.h"
#include "common/ApiGuard.h"
#include "server/MediaServer.h"

extern "C" {

int DLNA_DMS_GetDeviceInfo(DLNA_DEVICE_INFO* info) {
    return Guarded("DLNA_DMS_GetDeviceInfo", static_cast<int>(DLNA_E_INVALID_ARGUMENT), [&] {
        auto device = DLNAContext::Instance().Server().Device();
        if (!info || !device) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        // Request threads may be rewriting the description meanwhile.
        std::lock_guard<std::recursive_mutex> guard(UpnpUtility::Instance().Lock());
        FillDeviceInfo(device->Info(), info);
        return static_cast<int>(DLNA_OK);
    });
}

int DLNA_DMS_SetDeviceInfo(const DLNA_DEVICE_INFO* info) {
    return Guarded("DLNA_DMS_SetDeviceInfo", static_cast<int>(DLNA_E_FAILED), [&] {
        auto device = DLNAContext::Instance().Server().Device();
        if (!info || !device) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        std::lock_guard<std::recursive_mutex> guard(UpnpUtility::Instance().Lock());
        return device->SetDeviceInfo(MergeDeviceInfo(device->Info(), *info)) == 0
                   ? static_cast<int>(DLNA_OK)
                   : static_cast<int>(DLNA_E_FAILED);
    });
}

}  // extern "C"
