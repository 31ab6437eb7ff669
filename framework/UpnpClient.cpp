#include "UpnpClient.h"

#include <ctime>

int64_t NowSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

UpnpClient::UpnpClient(DeviceInfo info, UpnpClient_Handle handle,
                       std::vector<std::shared_ptr<UpnpService>> services, int max_age)
    : info_(std::move(info)),
      handle_(handle),
      services_(std::move(services)),
      max_age_(max_age),
      expiry_time_(NowSeconds() + max_age) {}

bool UpnpClient::HasService(const std::string& service_type) const {
    for (const auto& service : services_)
        if (service->Info().serviceType == service_type) return true;
    return false;
}

void UpnpClient::Refresh(int max_age, int64_t now) {
    max_age_ = max_age;
    expiry_time_ = now + max_age;
}
