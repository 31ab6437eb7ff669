#include "UpnpUtility.h"

#include "HostValidation.h"
#include "Logger.h"
#include "NetlinkMonitor.h"
#include "NetworkInterfaces.h"
#include "SoapClient.h"
#include "UpnpClient.h"
#include "UpnpDeviceListener.h"
#include "UpnpExtensions.h"
#include "UpnpRootDevice.h"
#include "VirtualFileRegistry.h"

namespace {

std::unique_ptr<UpnpUtility>& Slot() {
    static std::unique_ptr<UpnpUtility> instance;
    return instance;
}

}  // namespace

UpnpUtility::UpnpUtility() = default;

UpnpUtility::~UpnpUtility() {
    if (network_monitor) network_monitor->Stop();
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        stopped = true;
    }
    wake_up.notify_all();
    if (monitor_thread.joinable()) monitor_thread.join();
}

UpnpUtility& UpnpUtility::Instance() {
    static std::mutex creation;
    std::lock_guard<std::mutex> guard(creation);
    auto& slot = Slot();
    if (!slot) slot.reset(new UpnpUtility());
    return *slot;
}

void UpnpUtility::Destroy() { Slot().reset(); }

std::string UpnpUtility::ServerAddress() {
    const char* address = UpnpGetServerIpAddress();
    return address ? address : "";
}

int UpnpUtility::ServerPort() { return UpnpGetServerPort(); }

bool UpnpUtility::Stopped() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    return stopped;
}

std::shared_ptr<UpnpRootDevice> UpnpUtility::RootDevice() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    return root_device;
}

int UpnpUtility::Init(int port, const std::string& address) {
    // libupnp takes an interface name; an address names the interface that
    // holds it (libupnp then serves that interface's first address).
    std::string interface = platform::InterfaceHoldingAddress(address);
    if (interface.empty()) interface = address;
    int rc = UpnpInit2(interface.empty() ? nullptr : interface.c_str(),
                       static_cast<unsigned short>(port));
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        stopped = false;
    }
    if (rc != UPNP_E_SUCCESS) {
        LogLine(FrameworkLog(), LogLevel::Error) << "Initialize failed: " << rc;
        return rc;
    }
    // Requests our devices take; responses are read by SoapClient.
    UpnpSetMaxContentLength(kMaxSoapContentLength);
    UpnpSetHostValidateCallback(ValidateHostCallback, nullptr);
    LogLine(FrameworkLog(), LogLevel::Silent)
        << "Initialize address: " << ServerAddress() << ":" << ServerPort();

    network_monitor = std::make_unique<platform::NetlinkMonitor>(
        [this](const std::string& address) { DeliverAddressChange(address); },
        [this](const std::string& mac) { DeliverMacChange(mac); });
    if (!network_monitor->Start(ServerAddress())) network_monitor.reset();
    return rc;
}

void UpnpUtility::Finish() {
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        stopped = true;
    }
    wake_up.notify_all();
    if (monitor_thread.joinable()) monitor_thread.join();
    if (network_monitor) {
        network_monitor->Stop();
        network_monitor.reset();
    }
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        if (client_handle != 0) {
            int rc = UpnpUnRegisterClient(client_handle);
            if (rc != UPNP_E_SUCCESS)
                LogLine(FrameworkLog(), LogLevel::Error) << "UpnpUnRegisterClient failed: " << rc;
            client_handle = 0;
        }
        // Dropped without telling the listener: the host is shutting down.
        devices.clear();
        last_search_time = 0;
    }
    // Not under the lock: libupnp waits for its workers, which may need it.
    int rc = UpnpFinish();
    if (rc != UPNP_E_SUCCESS) LogLine(FrameworkLog(), LogLevel::Error) << "UpnpFinish failed: " << rc;
    std::lock_guard<std::recursive_mutex> guard(lock);
    // The device takes its own files with it; shared media stays registered,
    // since the share tree outlives the runtime.
    root_device.reset();
    filters.clear();
}

int UpnpUtility::CreateDevice(const std::string& path,
                              std::shared_ptr<UpnpServiceFactory> factory,
                              RootDeviceSettings settings) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    const std::string address = ServerAddress();
    // The old device leaves the network before the new one joins, even when
    // something still holds it; should the new one fail, none is left.
    if (root_device) root_device->Stop();
    root_device.reset();
    root_device =
        std::make_shared<UpnpRootDevice>(this, std::move(factory), std::move(settings));
    int rc = root_device->Start(path, address);
    if (rc != 0) return rc;

    // The control point must never list this process's own devices.
    std::vector<std::shared_ptr<UpnpDevice>> pending{root_device};
    while (!pending.empty()) {
        auto device = pending.back();
        pending.pop_back();
        filters.push_back(
            std::make_shared<NotFilter>(std::make_shared<DeviceUDNFilter>(device->Info().UDN)));
        for (const auto& child : device->Devices()) pending.push_back(child);
    }
    return 0;
}

int UpnpUtility::DeviceCallback(Upnp_EventType type, const void* event, void* cookie) {
    auto* self = static_cast<UpnpUtility*>(cookie);
    if (!self) return 0;
    std::lock_guard<std::recursive_mutex> guard(self->lock);
    // A request carried while the device was replaced reaches the new one,
    // whose UDNs differ, so it is simply not taken.
    const std::shared_ptr<UpnpRootDevice> device = self->root_device;
    if (!device) return 0;
    switch (static_cast<int>(type)) {
        case UPNP_CONTROL_ACTION_REQUEST:
            device->OnActionRequest(
                static_cast<UpnpActionRequest*>(const_cast<void*>(event)));
            break;
        case UPNP_CONTROL_GET_VAR_REQUEST:
            device->OnStateVariableRequest(event);
            break;
        case UPNP_EVENT_SUBSCRIPTION_REQUEST:
            device->OnSubscriptionRequest(event);
            break;
        case UPNP_EVENT_ADDRESS_CHANGED:
            return device->OnIPChanged(static_cast<const UpnpAddressChangedEvent*>(event));
        case UPNP_EVENT_MAC_CHANGED:
            return device->OnMACChanged(static_cast<const char*>(event));
        default:
            LogLine(FrameworkLog(), LogLevel::Warning)
                << "Unknown event type: " << static_cast<int>(type);
            break;
    }
    return 0;
}

void UpnpUtility::DeliverAddressChange(const std::string& address) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (stopped) return;
    UpnpAddressChangedEvent event{address.c_str(), ServerPort()};
    // The root device tells the observers once its own address has moved.
    if (root_device)
        DeviceCallback(static_cast<Upnp_EventType>(UPNP_EVENT_ADDRESS_CHANGED), &event, this);
    else
        NotifyAddressChanged(address, ServerPort());
    if (client_handle != 0)
        ClientCallback(static_cast<Upnp_EventType>(UPNP_EVENT_ADDRESS_CHANGED), &event, this);
}

void UpnpUtility::DeliverMacChange(const std::string& mac) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (stopped) return;
    if (root_device)
        DeviceCallback(static_cast<Upnp_EventType>(UPNP_EVENT_MAC_CHANGED), mac.c_str(), this);
}
