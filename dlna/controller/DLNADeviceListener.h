#pragma once
#include <memory>

#include "UpnpDeviceListener.h"

class KnownDevices;
class UpnpClient;

// What a remote device is to the host.
enum class DeviceKind { Renderer, Server, Neither };

// A renderer has the MediaRenderer:1 type and AVTransport, ConnectionManager
// and RenderingControl; a server the MediaServer:1 type, ConnectionManager
// and ContentDirectory.
DeviceKind Classify(const UpnpClient& device);

// Turns the control point's notifications into the host's discovery events,
// keeping the library's known-device list.
class DLNADeviceListener : public UpnpDeviceListener {
public:
    explicit DLNADeviceListener(KnownDevices& devices) : devices_(devices) {}

    void OnDeviceAdded(std::shared_ptr<UpnpClient> device) override;
    void OnDeviceRemoved(std::shared_ptr<UpnpClient> device) override;
    void OnSearch() override;

private:
    KnownDevices& devices_;
};
