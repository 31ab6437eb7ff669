#pragma once
#include <upnp.h>

#include <memory>
#include <string>

// A predicate over one discovery message; the control point drops messages
// its filters reject.
class DeviceFilter {
public:
    virtual ~DeviceFilter() = default;
    virtual bool Match(const UpnpDiscovery* discovery) const = 0;
    virtual bool IsSame(const DeviceFilter& other) const = 0;
};

class DeviceUDNFilter : public DeviceFilter {
public:
    explicit DeviceUDNFilter(std::string udn) : udn_(std::move(udn)) {}
    bool Match(const UpnpDiscovery* discovery) const override;
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::string udn_;
};

class NotFilter : public DeviceFilter {
public:
    explicit NotFilter(std::shared_ptr<DeviceFilter> inner) : inner_(std::move(inner)) {}
    bool Match(const UpnpDiscovery* discovery) const override { return !inner_->Match(discovery); }
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::shared_ptr<DeviceFilter> inner_;
};
