#include "DLNADeviceListener.h"

#include "DLNAContext.h"
#include "DeviceTypes.h"
#include "ShareTree.h"
#include "UpnpClient.h"
#include "UpnpRootDevice.h"
#include "UpnpUtility.h"

namespace {

int DiscoveredEvent(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Renderer: return DLNA_DMR_DISCOVERED_EVENT;
        case DeviceKind::Server: return DLNA_DMS_DISCOVERED_EVENT;
        case DeviceKind::Neither: break;
    }
    return -1;
}

int DisappearedEvent(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Renderer: return DLNA_DMR_DISAPPEARED_EVENT;
        case DeviceKind::Server: return DLNA_DMS_DISAPPEARED_EVENT;
        case DeviceKind::Neither: break;
    }
    return -1;
}

bool HasServerDevice(const UpnpDevice& device) {
    if (device.Info().deviceType == kMediaServerType) return true;
    for (const auto& child : device.Devices())
        if (HasServerDevice(*child)) return true;
    return false;
}

}  // namespace

DeviceKind Classify(const UpnpClient& device) {
    const std::string& type = device.Info().deviceType;
    if (type == kMediaRendererType && device.HasService(kAVTransportType) &&
        device.HasService(kConnectionManagerType) && device.HasService(kRenderingControlType))
        return DeviceKind::Renderer;
    if (type == kMediaServerType && device.HasService(kConnectionManagerType) &&
        device.HasService(kContentDirectoryType))
        return DeviceKind::Server;
    return DeviceKind::Neither;
}

void DLNADeviceListener::OnDeviceAdded(std::shared_ptr<UpnpClient> device) {
    if (!device) return;
    DLNAContext::Instance().AddKnownDevice(device, DiscoveredEvent(Classify(*device)));
}

void DLNADeviceListener::OnDeviceRemoved(std::shared_ptr<UpnpClient> device) {
    if (!device) return;
    DLNAContext::Instance().RemoveKnownDevice(device, DisappearedEvent(Classify(*device)));
}

void DLNADeviceListener::OnSearch() {
    auto& upnp = UpnpUtility::Instance();
    upnp.Search(kMediaRendererType);
    upnp.Search(kMediaServerType);
}

void DLNADeviceListener::OnAddressChanged(const std::string& address, int port) {
    // Every shared resource URL must name the new address.
    auto root = UpnpUtility::Instance().RootDevice();
    if (root && HasServerDevice(*root)) ShareTree::Instance().UpdateAddress(address, port);
}
