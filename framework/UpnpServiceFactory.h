#pragma once
#include <memory>

#include "DeviceInfo.h"
#include "ServiceInfo.h"

class UpnpService;

class UpnpServiceFactory {
public:
    virtual ~UpnpServiceFactory() = default;
    // An empty pointer for a service type the factory does not know.
    virtual std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                                       const ServiceInfo& service) = 0;
};
