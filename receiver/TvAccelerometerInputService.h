#pragma once
#include "SensorAction.h"
#include "UpnpService.h"

// Accelerometer readings; logged only.
class TvAccelerometerInputService : public UpnpService {
public:
    TvAccelerometerInputService(const ServiceInfo& info, std::shared_ptr<TvInputControl> control)
        : UpnpService(info) {
        Offer<AccelerateAction>(kAccelerate, control);
    }
};
