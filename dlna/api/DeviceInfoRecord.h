#pragma once
// A device's identity as the interface's DLNA_DEVICE_INFO record, both ways.
#include "DLNA.h"
#include "DeviceInfo.h"

// Fills `record` with new strings (released with DLNA_FreeDeviceInfo).
void CopyToRecord(const DeviceInfo& info, DLNA_DEVICE_INFO& record);

// `info` with each non-NULL field of friendly_name to upc taken from the
// record; the other fields stay as they are.
DeviceInfo WithRecordFields(DeviceInfo info, const DLNA_DEVICE_INFO& record);
