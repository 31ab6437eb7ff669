#include "DeviceFilter.h"

#include "UpnpClient.h"

namespace {

bool Equals(const std::string& expected, const char* actual) {
    return actual && expected == actual;
}

}  // namespace

bool DeviceTypeFilter::Match(const UpnpDiscovery* discovery) const {
    return Equals(device_type_, UpnpDiscovery_get_DeviceType_cstr(discovery));
}

bool DeviceTypeFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const DeviceTypeFilter*>(&other);
    return same && same->device_type_ == device_type_;
}

bool DeviceUDNFilter::Match(const UpnpDiscovery* discovery) const {
    return Equals(udn_, UpnpDiscovery_get_DeviceID_cstr(discovery));
}

bool DeviceUDNFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const DeviceUDNFilter*>(&other);
    return same && same->udn_ == udn_;
}

bool DeviceLocationFilter::Match(const UpnpDiscovery* discovery) const {
    return Equals(location_, UpnpDiscovery_get_Location_cstr(discovery));
}

bool DeviceLocationFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const DeviceLocationFilter*>(&other);
    return same && same->location_ == location_;
}

bool OrFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const OrFilter*>(&other);
    return same && same->first_->IsSame(*first_) && same->second_->IsSame(*second_);
}

bool NotFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const NotFilter*>(&other);
    return same && same->inner_->IsSame(*inner_);
}

bool ClientFilter::Match(const UpnpDiscovery* discovery) const {
    const std::shared_ptr<UpnpClient> client = client_.lock();
    if (!client || !Equals(client->Info().UDN, UpnpDiscovery_get_DeviceID_cstr(discovery)) ||
        !Equals(client->Info().location, UpnpDiscovery_get_Location_cstr(discovery)))
        return false;
    client->Refresh(UpnpDiscovery_get_Expires(discovery), NowSeconds());
    return true;
}

bool ClientFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const ClientFilter*>(&other);
    return same && !same->client_.owner_before(client_) && !client_.owner_before(same->client_);
}
