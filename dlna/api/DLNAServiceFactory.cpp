#include "api/DLNAServiceFactory.h"

#include "api/DLNAContext.h"

#include "UpnpRootDevice.h"
#include "UpnpService.h"
#include "UpnpUtility.h"
#include "common/DeviceTypes.h"
#include "connection/ConnectionManagerService.h"
#include "renderer/AVTransportService.h"
#include "renderer/MediaRenderer.h"
#include "renderer/RenderingControlService.h"
#include "server/AuthenticationActionFilter.h"
#include "server/AuthenticationManager.h"
#include "server/AuthenticationService.h"
#include "server/ContentDirectoryService.h"
#include "server/MediaServer.h"
#include "server/SharedFileGuard.h"
#include "server/SharedFileHeaders.h"

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
        ConnectionManagerChannel* channel = nullptr;
        if (for_server) channel = &server_->ConnectionManager();
        if (for_renderer) channel = &renderer_->ConnectionManager();
        return std::make_shared<ConnectionManagerService>(service, channel);
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
    if (type == kContentDirectoryType) {
        if (for_server && shares_) {
            DescribeSharedFiles(*shares_);
            DLNAContext::ServeMedia();
        }
        return std::make_shared<ContentDirectoryService>(service, for_server ? shares_ : nullptr);
    }
    if (type == kAuthenticationType) {
        std::shared_ptr<AuthenticationManager> manager = for_server ? authentication_ : nullptr;
        if (manager) GuardBrowse(manager);
        return std::make_shared<AuthenticationService>(service, manager);
    }

    return nullptr;
}
