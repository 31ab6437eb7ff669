// The general family: runtime, devices, callback, control point.
#include <filesystem>
#include <system_error>

#include "DLNA.h"
#include "DeviceFilter.h"
#include "UpnpRootDevice.h"
#include "UpnpUtility.h"
#include "api/DLNAContext.h"
#include "api/DLNAServiceFactory.h"
#include "common/ApiGuard.h"
#include "common/DeviceTypes.h"
#include "controller/DLNADeviceListener.h"
#include "renderer/MediaRenderer.h"
#include "server/AuthenticationManager.h"
#include "server/MediaServer.h"

namespace {

std::shared_ptr<DLNAServiceFactory> MakeFactory(DLNAContext& context) {
    return std::make_shared<DLNAServiceFactory>(&context.Renderer(), &context.Server(),
                                                context.Authentication(), &context.Shares());
}

// Binds each renderer and server device of the tree to its bridge; a later
// device of the same type replaces an earlier one.
void BindBridges(DLNAContext& context, const std::shared_ptr<UpnpDevice>& device) {
    const std::string& type = device->Info().deviceType;
    if (type == kMediaServerType) context.Server().Bind(device);
    if (type == kMediaRendererType) context.Renderer().Bind(device);
    for (const auto& child : device->Devices()) BindBridges(context, child);
}

}  // namespace

extern "C" {

int DLNA_Initialize(const char* host_ip, uint16_t port) {
    return Guarded("DLNA_Initialize", static_cast<int>(DLNA_E_FAILED), [&] {
        LogLine(FrameworkLog(), LogLevel::Silent) << "DLNA Version: " << DLNA_GetVersion();
        DLNAContext& context = DLNAContext::Instance();
        const int rc = UpnpUtility::Instance().Init(port, host_ip ? host_ip : "");
        if (rc != 0) return DLNA_E_FAILED;
        // Files shared before, or in an earlier run, are served here now.
        context.FollowAddress();
        return DLNA_OK;
    });
}

void DLNA_Finalize(void) {
    // Not Guarded: Finalize waits for the guarded calls itself.
    Shielded("DLNA_Finalize", 0, [] {
        if (!DLNAContext::Finalize())
            LogLine(DlnaLog(), LogLevel::Error)
                << "DLNA_Finalize refused: called from inside the event callback.";
        return 0;
    });
}

int DLNA_CreateDevice(const char* xml_path) {
    return Guarded("DLNA_CreateDevice", static_cast<int>(DLNA_E_FAILED), [&] {
        DLNAContext& context = DLNAContext::Instance();
        if (!xml_path) {
            LogLine(DlnaLog(), LogLevel::Error) << "xml_path is NULL.";
            return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        }
        std::error_code ec;
        if (!std::filesystem::is_regular_file(xml_path, ec)) {
            LogLine(DlnaLog(), LogLevel::Error) << "xml_path is not exists.";
            return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        }
        // The bridges let go of the old device, which leaves the network
        // now: a failed new one leaves no device behind, not a stale one.
        context.Renderer().Bind(nullptr);
        context.Server().Bind(nullptr);
        context.SetAuthentication(context.NewAuthentication());
        auto& upnp = UpnpUtility::Instance();
        if (int rc = upnp.CreateDevice(xml_path, MakeFactory(context)); rc != 0) {
            LogLine(DlnaLog(), LogLevel::Error) << "CreateDevice failed: " << rc;
            return static_cast<int>(DLNA_E_FAILED);
        }
        upnp.SetListener(context.DeviceListener());
        if (auto root = upnp.RootDevice()) BindBridges(context, root);
        return static_cast<int>(DLNA_OK);
    });
}

int DLNA_SetCallback(DLNA_CALLBACK callback, void* user_data) {
    return Guarded("DLNA_SetCallback", static_cast<int>(DLNA_OK), [&] {
        DLNAContext::Instance().SetCallback(callback, user_data);
        return static_cast<int>(DLNA_OK);
    });
}

const char* DLNA_GetIP(void) {
    return Guarded("DLNA_GetIP", static_cast<const char*>(nullptr), [] {
        DLNAContext::Instance();
        return static_cast<const char*>(UpnpGetServerIpAddress());
    });
}

uint16_t DLNA_GetListenPort(void) {
    return Guarded("DLNA_GetListenPort", static_cast<uint16_t>(0), [] {
        DLNAContext::Instance();
        return static_cast<uint16_t>(UpnpGetServerPort());
    });
}

int DLNA_StartControlPoint(int flags) {
    return Guarded("DLNA_StartControlPoint", static_cast<int>(DLNA_OK), [&] {
        DLNAContext& context = DLNAContext::Instance();
        auto& upnp = UpnpUtility::Instance();
        upnp.SetListener(context.DeviceListener(), MakeFactory(context));
        const bool renderers = flags & 1, servers = flags & 2;
        if (renderers && servers) {
            upnp.AddFilter(std::make_shared<OrFilter>(
                std::make_shared<DeviceTypeFilter>(kMediaRendererType),
                std::make_shared<DeviceTypeFilter>(kMediaServerType)));
        } else if (renderers) {
            upnp.AddFilter(std::make_shared<DeviceTypeFilter>(kMediaRendererType));
        } else if (servers) {
            upnp.AddFilter(std::make_shared<DeviceTypeFilter>(kMediaServerType));
        }
        if (renderers) upnp.Search(kMediaRendererType);
        if (servers) upnp.Search(kMediaServerType);
        return static_cast<int>(DLNA_OK);
    });
}

}  // extern "C"
