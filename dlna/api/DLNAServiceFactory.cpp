#include "DLNAServiceFactory.h"

#include "AVTransportService.h"
#include "ConnectionManagerService.h"
#include "DeviceTypes.h"
#include "MediaRenderer.h"
#include "MediaServer.h"
#include "RenderingControlService.h"
#include "UpnpService.h"

std::shared_ptr<UpnpService> DLNAServiceFactory::CreateService(const DeviceInfo& device,
                                                               const ServiceInfo& service) {
    [[maybe_unused]] const bool for_renderer = device.deviceType == kMediaRendererType;
    [[maybe_unused]] const bool for_server = device.deviceType == kMediaServerType;
    [[maybe_unused]] const std::string& type = service.serviceType;

    // Renderer services.
    if (type == kAVTransportType)
        return std::make_shared<AVTransportService>(
            service, for_renderer ? &renderer_->AVTransport() : nullptr);
    if (type == kConnectionManagerType) {
        ConnectionManagerListener* listener = nullptr;
        if (for_server) listener = &server_->ConnectionManager();
        if (for_renderer) listener = &renderer_->ConnectionManager();
        return std::make_shared<ConnectionManagerService>(service, listener);
    }
    if (type == kTundricConnectionManagerExType || type == kQelvarConnectionManagerExType)
        return std::make_shared<ConnectionManagerExService>(
            service, for_renderer ? &renderer_->ConnectionManagerEx() : nullptr);
    if (type == kRenderingControlType)
        return std::make_shared<RenderingControlService>(
            service, for_renderer ? &renderer_->RenderingControl() : nullptr);
    if (type == kTundricRenderingControlExType || type == kQelvarRenderingControlExType)
        return std::make_shared<RenderingControlExService>(
            service, for_renderer ? &renderer_->RenderingControlEx() : nullptr);

    // Server services.

    return nullptr;
}
