// The control-point half of UpnpUtility: discovery of remote devices, their
// liveness, and remote actions.
#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>

#include "Logger.h"
#include "RemoteDescription.h"
#include "SoapClient.h"
#include "UpnpAction.h"
#include "UpnpClient.h"
#include "UpnpDeviceListener.h"
#include "UpnpExtensions.h"
#include "UpnpRootDevice.h"
#include "UpnpUtility.h"

namespace {

// A flood of distinct devices must not grow the list without end.
constexpr size_t kMaxDevices = 256;

using Guard = std::lock_guard<std::recursive_mutex>;

std::string Text(const char* text) {
    return text ? text : "";
}

// The sender of a discovery message: address text and port.
std::pair<std::string, int> Sender(const UpnpDiscovery* discovery) {
    const sockaddr_storage* from = UpnpDiscovery_get_DestAddr(discovery);
    char text[64] = {};
    int port = 0;
    if (from && from->ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(from);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        port = ntohs(in->sin_port);
    } else if (from && from->ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(from);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        port = ntohs(in6->sin6_port);
    }
    return {text, port};
}

}  // namespace

int UpnpUtility::ClientCallback(Upnp_EventType type, const void* event, void* cookie) {
    auto* self = static_cast<UpnpUtility*>(cookie);
    if (!self || !event) return 0;
    switch (static_cast<int>(type)) {
        case UPNP_DISCOVERY_ADVERTISEMENT_ALIVE:
        case UPNP_DISCOVERY_SEARCH_RESULT:
            self->OnDiscovery(static_cast<const UpnpDiscovery*>(event));
            break;
        case UPNP_DISCOVERY_ADVERTISEMENT_BYEBYE:
            self->OnByeBye(static_cast<const UpnpDiscovery*>(event));
            break;
        case UPNP_EVENT_ADDRESS_CHANGED:
            self->RemoveAllClients();
            break;
        default:
            break;
    }
    return 0;
}

void UpnpUtility::SetListener(std::shared_ptr<UpnpDeviceListener> new_listener,
                              std::shared_ptr<UpnpServiceFactory> factory) {
    Guard guard(lock);
    listener = std::move(new_listener);
    if (!factory) return;
    remote_factory = std::move(factory);
    if (!listener) return;
    // A copy: the listener may search, and discovery may change the list.
    for (const auto& device : std::vector(devices)) listener->OnDeviceAdded(device);
}

void UpnpUtility::AddFilter(std::shared_ptr<DeviceFilter> filter) {
    if (!filter) return;
    Guard guard(lock);
    filters.push_back(std::move(filter));
}

void UpnpUtility::SetTimings(const ControlPointTimings& new_timings) {
    Guard guard(lock);
    timings = new_timings;
}

std::vector<std::shared_ptr<UpnpClient>> UpnpUtility::Devices() {
    Guard guard(lock);
    return devices;
}

int UpnpUtility::AddAddressObserver(AddressObserver observer) {
    Guard guard(lock);
    const int id = next_observer_id++;
    address_observers.emplace_back(id, std::move(observer));
    return id;
}

void UpnpUtility::RemoveAddressObserver(int id) {
    Guard guard(lock);
    std::erase_if(address_observers, [id](const auto& entry) { return entry.first == id; });
}

void UpnpUtility::NotifyAddressChanged(const std::string& address, int port) {
    Guard guard(lock);
    // A copy: an observer may add or remove one.
    for (const auto& [id, observer] : std::vector(address_observers)) observer(address, port);
}

int UpnpUtility::Search(const std::string& target) {
    Guard guard(lock);
    if (client_handle == 0) {
        UpnpClient_Handle handle = 0;
        int rc = UpnpRegisterClient(&UpnpUtility::ClientCallback, this, &handle);
        if (rc != UPNP_E_SUCCESS) return rc;
        client_handle = handle;
    }
    if (!monitor_thread.joinable()) monitor_thread = std::thread(&UpnpUtility::MonitorLoop, this);
    return UpnpSearchAsync(client_handle, 3, target.c_str(), this);
}

int UpnpUtility::SendAction(UpnpAction& action, const UpnpClient& client) {
    XmlDocumentPtr request = action.CreateRequest();
    if (!request) {
        LogLine(FrameworkLog(), LogLevel::Error) << "GetRequestDoc failed: " << action.Name()
                                                 << ", location: " << client.Info().location;
        return UPNP_E_INTERNAL_ERROR;
    }
    // Printed as libupnp printed it for its own request.
    DOMString printed = ixmlPrintNode(xml::AsNode(request.get()));
    if (!printed) return UPNP_E_OUTOF_MEMORY;
    const std::string action_xml = printed;
    ixmlFreeDOMString(printed);
    SoapAnswer answer;
    // Finish cuts a call short, as it does downloads.
    const int rc = SendSoapAction(action.Service().controlURL, action.Service().serviceType,
                                  action.Name(), action_xml, &stopped, &answer);
    if (rc != UPNP_E_SUCCESS) {
        LogLine(FrameworkLog(), LogLevel::Error) << "UpnpSendAction failed: " << action.Name()
                                                 << ", location: " << client.Info().location;
        return rc;
    }
    action.BindResponseArguments(std::move(answer.arguments));
    return 0;
}

void UpnpUtility::OnDiscovery(const UpnpDiscovery* discovery) {
    const std::string location = Text(UpnpDiscovery_get_Location_cstr(discovery));
    std::shared_ptr<DeviceFilter> in_progress;
    ControlPointTimings pace;
    {
        Guard guard(lock);
        if (client_handle == 0 || location.empty()) return;
        for (const auto& filter : filters)
            if (!filter->Match(discovery)) return;
        // Other messages for this location are dropped while this one is read.
        in_progress = std::make_shared<NotFilter>(std::make_shared<DeviceLocationFilter>(location));
        filters.push_back(in_progress);
        pace = timings;
    }

    UniqueXmlDocument doc;
    const DescriptionLimits limits;
    int rc = DownloadDescription(location, limits, pace.download_timeout, &stopped, &doc);
    if (rc != 0) {
        // Cut short by Finish: nothing is wrong with the device.
        if (rc != UPNP_E_CANCELED)
            LogLine(FrameworkLog(), LogLevel::Error)
                << "Download failed: " << location << ", ret=" << rc;
        Guard guard(lock);
        RemoveFilter(in_progress);
        return;
    }

    UpnpClient_Handle handle;
    std::shared_ptr<UpnpServiceFactory> factory;
    {
        Guard guard(lock);
        handle = client_handle;
        factory = remote_factory;
    }
    std::vector<std::shared_ptr<UpnpClient>> found;
    if (handle != 0) {
        const auto [address, port] = Sender(discovery);
        found = ReadRemoteDevices(doc.get(),
                                  {location, address, port, UpnpDiscovery_get_Expires(discovery)},
                                  handle, factory, limits);
    }
    doc.reset();

    Guard guard(lock);
    // Finish may have run meanwhile; it empties the list for good.
    if (client_handle == handle && handle != 0)
        for (const auto& client : found) AddClient(client);
    ++wake_ups;
    wake_up.notify_all();
    RemoveFilter(in_progress);
}

void UpnpUtility::AddClient(const std::shared_ptr<UpnpClient>& client) {
    // A device is listed once, at the first location it answered from:
    // another description naming the same UDN (the root of a device listed
    // for its embedded one, or a device answering on two addresses) only
    // renews it. Should the first location die, the connection checks drop
    // the device and a later message lists it at the new one.
    for (const auto& device : devices) {
        if (device->Info().UDN == client->Info().UDN) {
            device->Refresh(client->MaxAge(), NowSeconds());
            return;
        }
    }
    if (devices.size() >= kMaxDevices) {
        LogLine(FrameworkLog(), LogLevel::Warning)
            << "Too many devices, ignored: " << client->Info().location;
        return;
    }
    devices.push_back(client);
    filters.push_back(std::make_shared<NotFilter>(std::make_shared<ClientFilter>(client)));
    if (listener) listener->OnDeviceAdded(client);
}

void UpnpUtility::OnByeBye(const UpnpDiscovery* discovery) {
    const std::string id = Text(UpnpDiscovery_get_DeviceID_cstr(discovery));
    Guard guard(lock);
    for (const auto& device : devices) {
        if (device->Info().UDN == id) {
            RemoveClient(device);
            return;
        }
    }
}

void UpnpUtility::RemoveAllClients() {
    Guard guard(lock);
    for (const auto& device : std::vector(devices)) RemoveClient(device);
}

bool UpnpUtility::IsListed(const std::shared_ptr<UpnpClient>& client) const {
    return std::find(devices.begin(), devices.end(), client) != devices.end();
}

void UpnpUtility::RemoveFilter(const std::shared_ptr<DeviceFilter>& filter) {
    std::erase(filters, filter);
}

void UpnpUtility::RemoveClient(const std::shared_ptr<UpnpClient>& client) {
    // Holds the client while the listener looks at it.
    const std::shared_ptr<UpnpClient> keep = client;
    if (!IsListed(keep)) return;
    std::erase(devices, keep);
    const NotFilter mine(std::make_shared<ClientFilter>(keep));
    std::erase_if(filters, [&](const auto& filter) { return mine.IsSame(*filter); });
    LogLine(FrameworkLog(), LogLevel::Silent) << "RemoveClient: " << keep->Info().location;
    if (listener) listener->OnDeviceRemoved(keep);
}

void UpnpUtility::MonitorLoop() {
    // Held exactly once, so that waiting on the condition releases it.
    std::unique_lock<std::recursive_mutex> guard(lock);
    int64_t previous = NowSeconds();
    while (!stopped) {
        const ControlPointTimings pace = timings;
        int64_t wait = pace.max_wait;
        // At least a second per device: a lifetime running out must not spin.
        for (const auto& device : devices)
            wait = std::min<int64_t>(wait, std::max(device->MaxAge(), 1));
        wait = std::min<int64_t>(wait, pace.max_wait - (NowSeconds() - previous));
        if (wait > 0) {
            const uint64_t seen = wake_ups;
            wake_up.wait_for(guard, std::chrono::seconds(wait),
                             [&] { return stopped || wake_ups != seen; });
        }
        if (stopped) break;

        const int64_t now = NowSeconds();
        previous = now;
        if (now - last_search_time > pace.search_interval) {
            last_search_time = now;
            if (listener) listener->OnSearch();
        }
        std::vector<std::shared_ptr<UpnpClient>> checks;
        for (const auto& device : devices) {
            if (device->ExpiryTime() < now ||
                now + device->MaxAge() - device->ExpiryTime() > pace.refresh_limit) {
                checks.push_back(device);
            } else {
                device->SetMaxAge(static_cast<int>(device->ExpiryTime() - now));
            }
        }
        if (checks.empty()) continue;

        guard.unlock();
        std::vector<std::thread> running;
        for (const auto& device : checks) {
            try {
                running.emplace_back(&UpnpUtility::CheckConnection, this, device, pace);
            } catch (const std::system_error&) {
                CheckConnection(device, pace);
            }
        }
        for (auto& thread : running) thread.join();
        guard.lock();

        for (const auto& device : checks)
            if (IsListed(device) && device->ExpiryTime() < now)
                device->Refresh(pace.max_wait, NowSeconds());
    }
}

void UpnpUtility::CheckConnection(const std::shared_ptr<UpnpClient>& client,
                                  const ControlPointTimings& pace) {
    const std::string& location = client->Info().location;
    for (int attempt = 0; attempt < pace.connect_attempts; ++attempt) {
        if (UpnpTryConnect(location.c_str(), pace.connect_timeout, &stopped) == 0) return;
        // A check cut short by Finish proves nothing about the device.
        if (stopped) return;
    }
    LogLine(FrameworkLog(), LogLevel::Silent) << "Connect Failed :" << location;
    Guard guard(lock);
    RemoveClient(client);
}
