#pragma once
#include "UpnpService.h"

// Presses and releases keys by name.
class TvKeyboardInputService : public UpnpService {
public:
    using UpnpService::UpnpService;
    std::shared_ptr<UpnpAction> CreateAction(const std::string& name) override;
};
