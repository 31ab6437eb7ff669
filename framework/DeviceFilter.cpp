#include "DeviceFilter.h"

bool DeviceUDNFilter::Match(const UpnpDiscovery* discovery) const {
    const char* id = UpnpDiscovery_get_DeviceID_cstr(discovery);
    return id && udn_ == id;
}

bool DeviceUDNFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const DeviceUDNFilter*>(&other);
    return same && same->udn_ == udn_;
}

bool NotFilter::IsSame(const DeviceFilter& other) const {
    auto* same = dynamic_cast<const NotFilter*>(&other);
    return same && same->inner_->IsSame(*inner_);
}
