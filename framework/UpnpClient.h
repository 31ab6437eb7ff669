#pragma once
#include <upnp.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DeviceInfo.h"
#include "UpnpService.h"

// One remote device found by the control point.
class UpnpClient {
public:
    // The expiry time starts at now + `max_age`.
    UpnpClient(DeviceInfo info, UpnpClient_Handle handle,
               std::vector<std::shared_ptr<UpnpService>> services, int max_age = 0);

    const DeviceInfo& Info() const { return info_; }
    UpnpClient_Handle Handle() const { return handle_; }
    const std::vector<std::shared_ptr<UpnpService>>& Services() const { return services_; }
    bool HasService(const std::string& service_type) const;

    // Lifetime, in seconds. Read and written only under the UpnpUtility lock
    // (discovery filters and the monitor thread).
    int MaxAge() const { return max_age_; }
    int64_t ExpiryTime() const { return expiry_time_; }
    void SetMaxAge(int max_age) { max_age_ = max_age; }
    // Valid for `max_age` more seconds from `now`.
    void Refresh(int max_age, int64_t now);

private:
    DeviceInfo info_;
    UpnpClient_Handle handle_;
    std::vector<std::shared_ptr<UpnpService>> services_;
    int max_age_;
    int64_t expiry_time_;
};

// Seconds since the epoch, the clock of the lifetimes above.
int64_t NowSeconds();
