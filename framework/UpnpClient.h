#pragma once
#include <upnp.h>

#include <memory>
#include <string>
#include <vector>

#include "DeviceInfo.h"
#include "UpnpService.h"

// One remote device found by the control point.
class UpnpClient {
public:
    UpnpClient(DeviceInfo info, UpnpClient_Handle handle,
               std::vector<std::shared_ptr<UpnpService>> services)
        : info_(std::move(info)), handle_(handle), services_(std::move(services)) {}

    const DeviceInfo& Info() const { return info_; }
    UpnpClient_Handle Handle() const { return handle_; }
    const std::vector<std::shared_ptr<UpnpService>>& Services() const { return services_; }
    bool HasService(const std::string& service_type) const {
        for (const auto& service : services_)
            if (service->Info().serviceType == service_type) return true;
        return false;
    }

private:
    DeviceInfo info_;
    UpnpClient_Handle handle_;
    std::vector<std::shared_ptr<UpnpService>> services_;
};
