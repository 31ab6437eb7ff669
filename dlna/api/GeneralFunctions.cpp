// The general family that needs neither the runtime nor a device.
#include "DLNA.h"
#include "common/ApiGuard.h"
#include "common/CString.h"

namespace {

// Built once at load: "12." and the framework's version.
const std::string& VersionText() {
    static const std::string version = std::string("12.") + DLNA_FRAMEWORK_VERSION;
    return version;
}

}  // namespace

extern "C" {

const char* DLNA_GetVersion(void) { return VersionText().c_str(); }

int DLNA_AsyncSearchDevice(void) { return DLNA_OK; }

int DLNA_FreeDeviceInfo(DLNA_DEVICE_INFO* info) {
    if (!info) return DLNA_OK;
    for (char** field : {&info->device_type, &info->friendly_name, &info->manufacturer,
                         &info->manufacturer_url, &info->model_description, &info->model_name,
                         &info->model_number, &info->model_url, &info->serial_number, &info->udn,
                         &info->upc, &info->location, &info->address})
        FreeString(*field);
    return DLNA_OK;
}

int DLNA_FreeProtocolInfo(DLNA_PROTOCOL_INFO* infos, unsigned count) {
    if (!infos) return DLNA_OK;
    for (unsigned i = 0; i < count; ++i) {
        FreeString(infos[i].protocol);
        FreeString(infos[i].network);
        FreeString(infos[i].content_format);
        FreeString(infos[i].additional_info);
    }
    std::free(infos);
    return DLNA_OK;
}

}  // extern "C"
