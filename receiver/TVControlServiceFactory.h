#pragma once
#include <memory>

#include "TvInputControl.h"
#include "TvKeyControlControl.h"
#include "TvMouseControlControl.h"
#include "UpnpServiceFactory.h"

// Creates the receiver's seven services by service type; both vendor domains
// name each of them. Every service it creates acts on the controls it was
// given.
class TVControlServiceFactory : public UpnpServiceFactory {
public:
    TVControlServiceFactory(std::shared_ptr<TvInputControl> input,
                            std::shared_ptr<TvKeyControlControl> key_control,
                            std::shared_ptr<TvMouseControlControl> mouse_control);

    std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                               const ServiceInfo& service) override;

    const std::shared_ptr<TvInputControl> input;
    const std::shared_ptr<TvKeyControlControl> key_control;
    const std::shared_ptr<TvMouseControlControl> mouse_control;
};
