#pragma once
#include "UpnpService.h"

// Accelerometer readings; logged only.
class TvAccelerometerInputService : public UpnpService {
public:
    using UpnpService::UpnpService;
    std::shared_ptr<UpnpAction> CreateAction(const std::string& name) override;
};
