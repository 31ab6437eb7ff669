#pragma once
#include "RootDeviceSettings.h"
#include "WindowsService.h"

// The TV receiver: starts the UPnP runtime and announces the TV device.
class Halvorn : public WindowsService {
public:
    // 0 when the device runs, else the code of the first failed check.
    int Initialize() override;
    void Finalize() override;

    // The receiver's own texts, and an address event that carries the
    // address alone.
    static RootDeviceSettings DeviceSettings();
};
