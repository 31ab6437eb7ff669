#include "controller/DLNADeviceListener.h"

#include "DLNA.h"
#include "UpnpClient.h"
#include "UpnpUtility.h"
#include "common/DeviceTypes.h"
#include "controller/KnownDevices.h"

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
    devices_.Add(device, DiscoveredEvent(Classify(*device)));
}

void DLNADeviceListener::OnDeviceRemoved(std::shared_ptr<UpnpClient> device) {
    if (!device) return;
    devices_.Remove(device, DisappearedEvent(Classify(*device)));
}

void DLNADeviceListener::OnSearch() {
    auto& upnp = UpnpUtility::Instance();
    upnp.Search(kMediaRendererType);
    upnp.Search(kMediaServerType);
}
