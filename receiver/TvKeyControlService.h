#pragma once
#include "TvKeyMapService.h"

// The tvcontrol service: remote-control keys of the "key" map, then the
// fixed TV control actions.
class TvKeyControlService : public TvKeyMapService {
public:
    explicit TvKeyControlService(const ServiceInfo& info);

protected:
    std::string KeyMapPath() const override;
    std::shared_ptr<UpnpAction> CreateMappedAction(const std::string& name,
                                                   const std::string& key_value) override;
};
