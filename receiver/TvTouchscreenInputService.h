#pragma once
#include "UpnpService.h"

// Touch input; checked and logged, not injected.
class TvTouchscreenInputService : public UpnpService {
public:
    using UpnpService::UpnpService;
    std::shared_ptr<UpnpAction> CreateAction(const std::string& name) override;
};
