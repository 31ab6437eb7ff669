#pragma once
#include "TvKeyMapService.h"

// The mouse-control service: entries of the "mouse" map, then the two
// pointer moves.
class TvMouseControlService : public TvKeyMapService {
public:
    explicit TvMouseControlService(const ServiceInfo& info);

protected:
    std::string KeyMapPath() const override;
    std::shared_ptr<UpnpAction> CreateMappedAction(const std::string& name,
                                                   const std::string& key_value) override;
};
