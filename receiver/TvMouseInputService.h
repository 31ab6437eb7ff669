#pragma once
#include "UpnpService.h"

// Pointer buttons and motion, injected into the desktop.
class TvMouseInputService : public UpnpService {
public:
    using UpnpService::UpnpService;
    std::shared_ptr<UpnpAction> CreateAction(const std::string& name) override;
};
