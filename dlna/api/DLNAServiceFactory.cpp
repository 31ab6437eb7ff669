#include "DLNAServiceFactory.h"

#include "DeviceTypes.h"
#include "MediaRenderer.h"
#include "MediaServer.h"
#include "UpnpService.h"

std::shared_ptr<UpnpService> DLNAServiceFactory::CreateService(const DeviceInfo& device,
                                                               const ServiceInfo& service) {
    [[maybe_unused]] const bool for_renderer = device.deviceType == kMediaRendererType;
    [[maybe_unused]] const bool for_server = device.deviceType == kMediaServerType;
    [[maybe_unused]] const std::string& type = service.serviceType;

    // Renderer services.

    // Server services.

    return nullptr;
}
