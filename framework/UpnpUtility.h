#pragma once
#include <upnp.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ControlPointTimings.h"
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

    // Control point: remote devices found by searching, kept while they answer.
    // With a factory the listener is told of every device already known, and
    // the factory makes the services of devices found from then on.
    void SetListener(std::shared_ptr<UpnpDeviceListener> listener,
                     std::shared_ptr<UpnpServiceFactory> factory = nullptr);
    void AddFilter(std::shared_ptr<DeviceFilter> filter);
    // Registers the client and starts the monitor thread on first use.
    int Search(const std::string& target);
    // Blocks until the device answers or libupnp gives up; takes no lock.
    int SendAction(UpnpAction& action, const UpnpClient& client);
    // A snapshot of the known devices, in the order they were found.
    std::vector<std::shared_ptr<UpnpClient>> Devices();
    // For tests: shorter pacing of the monitor thread and its checks.
    void SetTimings(const ControlPointTimings& timings);
    // Told of every change of the host's address, whether or not a control
    // point runs, under the runtime's lock; the id removes it again.
    using AddressObserver = std::function<void(const std::string& address, int port)>;
    int AddAddressObserver(AddressObserver observer);
    void RemoveAddressObserver(int id);
    // The host's address changed: tells every observer.
    void NotifyAddressChanged(const std::string& address, int port);

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

    void OnDiscovery(const UpnpDiscovery* discovery);
    void OnByeBye(const UpnpDiscovery* discovery);
    void RemoveAllClients();
    void AddClient(const std::shared_ptr<UpnpClient>& client);
    void RemoveClient(const std::shared_ptr<UpnpClient>& client);
    bool IsListed(const std::shared_ptr<UpnpClient>& client) const;
    void RemoveFilter(const std::shared_ptr<DeviceFilter>& filter);
    void MonitorLoop();
    void CheckConnection(const std::shared_ptr<UpnpClient>& client,
                         const ControlPointTimings& timings);

    std::recursive_mutex lock;
    // Also read without the lock by connection checks and downloads, which
    // give up once it is set.
    std::atomic<bool> stopped{true};
    std::thread monitor_thread;
    std::condition_variable_any wake_up;
    // Counts discoveries, so that the monitor thread wakes only for them.
    uint64_t wake_ups = 0;
    UpnpClient_Handle client_handle = 0;
    std::shared_ptr<UpnpRootDevice> root_device;
    std::vector<std::shared_ptr<DeviceFilter>> filters;
    std::shared_ptr<UpnpDeviceListener> listener;
    std::shared_ptr<UpnpServiceFactory> remote_factory;
    std::vector<std::pair<int, AddressObserver>> address_observers;
    int next_observer_id = 1;
    std::vector<std::shared_ptr<UpnpClient>> devices;
    int64_t last_search_time = 0;
    ControlPointTimings timings;
    std::unique_ptr<platform::NetlinkMonitor> network_monitor;
};
