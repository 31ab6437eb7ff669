#pragma once
#include "UpnpService.h"

// Orientation readings; logged only.
class TvOrientationInputService : public UpnpService {
public:
    using UpnpService::UpnpService;
    std::shared_ptr<UpnpAction> CreateAction(const std::string& name) override;
};
