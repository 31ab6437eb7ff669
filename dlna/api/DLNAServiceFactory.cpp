#include "DLNAServiceFactory.h"

#include "AVTransportService.h"
#include "AuthenticationActionFilter.h"
#include "AuthenticationManager.h"
#include "AuthenticationService.h"
#include "ConnectionManagerService.h"
#include "ContentDirectoryService.h"
#include "DeviceTypes.h"
#include "MediaRenderer.h"
#include "MediaServer.h"
#include "RenderingControlService.h"
#include "SharedFileGuard.h"
#include "UpnpRootDevice.h"
#include "UpnpService.h"
#include "UpnpUtility.h"

namespace {

// Guards Browse on the local root device while it is being built (it is
// registered only afterwards). Services of remote devices are made later,
// for a root that is long registered, and must never guard this process's
// own requests.
void GuardBrowse(const std::shared_ptr<AuthenticationManager>& manager) {
    auto root = UpnpUtility::Instance().RootDevice();
    if (root && root->Handle() < 0) {
        root->AddFilter(std::make_shared<AuthenticationActionFilter>("Browse", manager));
        GuardSharedFiles(manager);
    }
}

}  // namespace

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
    if (type == kContentDirectoryType) return std::make_shared<ContentDirectoryService>(service);
    if (type == kAuthenticationType) {
        std::shared_ptr<AuthenticationManager> manager = for_server ? authentication_ : nullptr;
        if (manager) GuardBrowse(manager);
        return std::make_shared<AuthenticationService>(service, manager);
    }

    return nullptr;
}
