#pragma once
#include "SensorAction.h"
#include "UpnpService.h"

// Orientation readings; logged only.
class TvOrientationInputService : public UpnpService {
public:
    TvOrientationInputService(const ServiceInfo& info, std::shared_ptr<TvInputControl> control)
        : UpnpService(info) {
        Offer<OrientateAction>(kOrientate, control);
    }
};
