#pragma once
#include "SensorAction.h"
#include "UpnpService.h"

// Accelerometer readings; logged only.
class TvAccelerometerInputService : public UpnpService {
public:
    explicit TvAccelerometerInputService(const ServiceInfo& info) : UpnpService(info) {
        Offer<AccelerateAction>(kAccelerate);
    }
};
