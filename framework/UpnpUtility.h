#pragma once
#include <upnp.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DeviceFilter.h"
#include "RootDeviceSettings.h"
#include "UpnpServiceFactory.h"

class UpnpRootDevice;
class UpnpAction;
class UpnpClient;
class UpnpDeviceListener;
namespace platform {
class NetlinkMonitor;
}

// The process-wide UPnP runtime: starts and stops libupnp, holds the one root
// device, and serialises every libupnp callback under one recursive lock.
class UpnpUtility {
public:
    static UpnpUtility& Instance();
    static void Destroy();

    int Init(int port, const std::string& address);
    void Finish();

    // Builds, serves, registers and advertises the root device, replacing
    // any earlier one.
    int CreateDevice(const std::string& path, std::shared_ptr<UpnpServiceFactory> factory,
                     RootDeviceSettings settings = {});

    // Control point.
    void SetListener(std::shared_ptr<UpnpDeviceListener> listener,
                     std::shared_ptr<UpnpServiceFactory> factory = nullptr);
    void AddFilter(std::shared_ptr<DeviceFilter> filter);
    int Search(const std::string& target);
    int SendAction(UpnpAction& action, const UpnpClient& client);
    std::vector<std::shared_ptr<UpnpClient>> Devices();

    std::recursive_mutex& Lock() { return lock; }
    std::shared_ptr<UpnpRootDevice> RootDevice();
    bool Stopped();

    // libupnp's server address and port; empty and 0 before Init.
    static std::string ServerAddress();
    static int ServerPort();

    // libupnp's cookie is this object, which outlives every root device: the
    // current device is looked up under the lock for each event.
    static int DeviceCallback(Upnp_EventType type, const void* event, void* cookie);
    static int ClientCallback(Upnp_EventType type, const void* event, void* cookie);

    const std::vector<std::shared_ptr<DeviceFilter>>& Filters() const { return filters; }

    ~UpnpUtility();

private:
    UpnpUtility();
    void DeliverAddressChange(const std::string& address);
    void DeliverMacChange(const std::string& mac);

    std::recursive_mutex lock;
    bool stopped = true;
    std::thread monitor_thread;
    std::condition_variable_any wake_up;
    UpnpClient_Handle client_handle = 0;
    std::shared_ptr<UpnpRootDevice> root_device;
    std::vector<std::shared_ptr<DeviceFilter>> filters;
    std::unique_ptr<platform::NetlinkMonitor> network_monitor;
};
