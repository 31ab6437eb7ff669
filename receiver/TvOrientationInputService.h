#pragma once
#include "SensorAction.h"
#include "UpnpService.h"

// Orientation readings; logged only.
class TvOrientationInputService : public UpnpService {
public:
    explicit TvOrientationInputService(const ServiceInfo& info) : UpnpService(info) {
        Offer<OrientateAction>(kOrientate);
    }
};
