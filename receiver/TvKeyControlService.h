#pragma once
#include <memory>

#include "TvKeyControlControl.h"
#include "TvKeyMapService.h"

// The tvcontrol service: remote-control keys of the "key" map, then the
// fixed TV control actions.
class TvKeyControlService : public TvKeyMapService {
public:
    TvKeyControlService(const ServiceInfo& info, std::shared_ptr<TvKeyControlControl> control);

protected:
    std::string KeyMapPath() const override;
    std::shared_ptr<UpnpAction> CreateMappedAction(const std::string& name,
                                                   const std::string& key_value) override;

private:
    const std::shared_ptr<TvKeyControlControl> control_;
};
