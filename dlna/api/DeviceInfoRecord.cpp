#include "api/DeviceInfoRecord.h"

#include <string>
#include <utility>

#include "common/CString.h"

namespace {

// Fields 2 to 11, which a host may set.
const std::pair<char * DLNA_DEVICE_INFO::*, std::string DeviceInfo::*> kSettable[] = {
    {&DLNA_DEVICE_INFO::friendly_name, &DeviceInfo::friendlyName},
    {&DLNA_DEVICE_INFO::manufacturer, &DeviceInfo::manufacturer},
    {&DLNA_DEVICE_INFO::manufacturer_url, &DeviceInfo::manufacturerURL},
    {&DLNA_DEVICE_INFO::model_description, &DeviceInfo::modelDescription},
    {&DLNA_DEVICE_INFO::model_name, &DeviceInfo::modelName},
    {&DLNA_DEVICE_INFO::model_number, &DeviceInfo::modelNumber},
    {&DLNA_DEVICE_INFO::model_url, &DeviceInfo::modelURL},
    {&DLNA_DEVICE_INFO::serial_number, &DeviceInfo::serialNumber},
    {&DLNA_DEVICE_INFO::udn, &DeviceInfo::UDN},
    {&DLNA_DEVICE_INFO::upc, &DeviceInfo::UPC},
};

}  // namespace

void FillDeviceInfo(const DeviceInfo& info, DLNA_DEVICE_INFO* record) {
    DLNA_DEVICE_INFO filled{};
    try {
        filled.device_type = DupString(info.deviceType);
        for (const auto& [field, member] : kSettable) filled.*field = DupString(info.*member);
        filled.location = DupString(info.location);
        filled.address = DupString(info.address);
    } catch (...) {
        DLNA_FreeDeviceInfo(&filled);
        throw;
    }
    filled.port = static_cast<uint16_t>(info.port);
    *record = filled;
}

DeviceInfo MergeDeviceInfo(DeviceInfo info, const DLNA_DEVICE_INFO& record) {
    for (const auto& [field, member] : kSettable)
        if (record.*field) info.*member = record.*field;
    return info;
}
