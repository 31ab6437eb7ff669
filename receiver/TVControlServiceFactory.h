#pragma once
#include "UpnpServiceFactory.h"

// Creates the receiver's seven services by service type; both vendor domains
// name each of them.
class TVControlServiceFactory : public UpnpServiceFactory {
public:
    std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                               const ServiceInfo& service) override;
};
