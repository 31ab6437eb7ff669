#pragma once
// A device's identity across the interface: DeviceInfo <-> DLNA_DEVICE_INFO.
#include "DLNA.h"
#include "DeviceInfo.h"

// Fills all fourteen fields with new heap strings (DLNA_FreeDeviceInfo);
// leaves `record` untouched when memory runs out (throws std::bad_alloc).
void FillDeviceInfo(const DeviceInfo& info, DLNA_DEVICE_INFO* record);

// `info` with each of friendly_name to upc that the host gave replaced.
DeviceInfo MergeDeviceInfo(DeviceInfo info, const DLNA_DEVICE_INFO& record);
