#pragma once
#include <upnp.h>

#include <memory>
#include <string>
#include <vector>

#include "ActionFilter.h"
#include "DeviceInfo.h"
#include "UpnpService.h"
#include "UpnpServiceFactory.h"
#include "Xml.h"

// A device of a description document, with its services and embedded devices.
class UpnpDevice {
public:
    explicit UpnpDevice(std::string description_path = {})
        : description_path(std::move(description_path)) {}
    virtual ~UpnpDevice() = default;
    UpnpDevice(const UpnpDevice&) = delete;
    UpnpDevice& operator=(const UpnpDevice&) = delete;

    virtual bool OnActionRequest(UpnpActionRequest* request);
    // Subscriptions and state-variable queries are not answered.
    virtual bool OnSubscriptionRequest(const void*) { return false; }
    virtual bool OnStateVariableRequest(const void*) { return false; }

    // Reads the device element, creates its services through the factory and
    // builds the embedded devices.
    void Build(IXML_Element* device, const std::shared_ptr<UpnpServiceFactory>& factory);

    // Rewrites this device's identity in the served description (never the
    // installed file). 0, or 1 when nothing is served to rewrite.
    int SetDeviceInfo(const DeviceInfo& new_info);

    const DeviceInfo& Info() const { return info; }
    const std::vector<std::shared_ptr<UpnpService>>& Services() const { return services; }
    const std::vector<std::shared_ptr<UpnpDevice>>& Devices() const { return devices; }
    const std::string& DescriptionPath() const { return description_path; }

    // Fields 1-11 of the first elements of those names below `device`.
    static DeviceInfo ReadInfo(IXML_Element* device);

protected:
    // Replaces the served "/description.xml" with `text`.
    void ServeDescription(const std::string& text, int64_t last_modified);

    DeviceInfo info;
    std::vector<std::shared_ptr<UpnpService>> services;
    std::vector<std::shared_ptr<UpnpDevice>> devices;
    std::vector<std::shared_ptr<ActionFilter>> filters;
    std::string description_path;
    // Tags the files this device's tree registers; the root sets it.
    const void* file_owner = nullptr;
};
