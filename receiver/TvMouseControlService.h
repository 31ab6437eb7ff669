#pragma once
#include <memory>

#include "TvKeyMapService.h"
#include "TvMouseControlControl.h"

// The mouse-control service: entries of the "mouse" map, then the two
// pointer moves.
class TvMouseControlService : public TvKeyMapService {
public:
    TvMouseControlService(const ServiceInfo& info, std::shared_ptr<TvMouseControlControl> control);

protected:
    std::string KeyMapPath() const override;
    std::shared_ptr<UpnpAction> CreateMappedAction(const std::string& name,
                                                   const std::string& key_value) override;

private:
    const std::shared_ptr<TvMouseControlControl> control_;
};
