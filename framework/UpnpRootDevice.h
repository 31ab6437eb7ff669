#pragma once
#include <upnp.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "RootDeviceSettings.h"
#include "TimerQueue.h"
#include "UpnpDevice.h"

class UpnpUtility;

// The event record of an address change (event type 15).
struct UpnpAddressChangedEvent {
    const char* address;
    int port;
};

// The process's one root device: loaded from a description document on disk,
// served over HTTP, registered with libupnp and advertised.
class UpnpRootDevice : public UpnpDevice {
public:
    UpnpRootDevice(UpnpUtility* owner, std::shared_ptr<UpnpServiceFactory> factory,
                   RootDeviceSettings settings = {})
        : owner(owner), factory(std::move(factory)), settings(std::move(settings)) {}
    ~UpnpRootDevice() override;

    // Load, then registration with libupnp and the first advertisement.
    int Start(const std::string& path, const std::string& address);
    // Everything before registration: loads and prepares the description,
    // serves it with its SCPDs and builds the devices. Nothing here opens a
    // socket unless a service's LoadActions does.
    int Load(const std::string& path, const std::string& address);
    // Unregisters (libupnp says byebye) and stops serving the description
    // and SCPDs. A device replaced by another is stopped at once, whoever
    // still holds it.
    void Stop();
    // A filter that IsSame as one already there is not added again.
    void AddFilter(std::shared_ptr<ActionFilter> filter);

    // A new subscriber of one of the tree's services gets its first event,
    // kInitialEventDelay later: control points that read the answer to
    // their SUBSCRIBE after an event sent at once (GUPnP) drop that event.
    static constexpr std::chrono::milliseconds kInitialEventDelay{100};
    // Per service: how many subscribers, and for how long at most.
    static constexpr int kMaxSubscriptions = 128;
    static constexpr int kMaxSubscriptionSeconds = 1800;
    // The validity of our advertisements (max-age).
    static constexpr int kAdvertisementSeconds = 100;
    bool OnSubscriptionRequest(const void* event) override;
    int OnIPChanged(const UpnpAddressChangedEvent* event);
    int OnMACChanged(const char* mac);

    // Keeps the text of every `element` up to and including the last
    // `marker` and appends `text`. 0 on success, 1 when the served
    // description cannot be parsed, 2 when it has no such element.
    int RewriteDescription(const std::string& marker, const std::string& text,
                           const std::string& element);

    UpnpUtility* Owner() const { return owner; }
    const RootDeviceSettings& Settings() const { return settings; }
    UpnpDevice_Handle Handle() const { return handle; }

    // The description as served at "/description.xml".
    std::string ServedDescription();

private:
    // Every service of the tree, with the device that holds it.
    void ForEachService(
        const std::function<void(const UpnpDevice&, const std::shared_ptr<UpnpService>&)>& visit)
        const;
    // Marks every serialNumber and gives every UDN a fresh UUID; fills the
    // modelDescription placeholders. -107 when a required element is missing.
    int PrepareDescription(IXML_Document* doc, const std::string& address);

    UpnpUtility* owner;
    std::shared_ptr<UpnpServiceFactory> factory;
    RootDeviceSettings settings;
    UpnpDevice_Handle handle = -1;
    bool registered = false;
    // Last: stops, dropping what waits, before the services go.
    TimerQueue later;
};
