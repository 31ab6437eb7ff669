#pragma once
#include <upnp.h>

#include <memory>
#include <string>

class UpnpClient;

// A predicate over one discovery message; the control point drops messages
// its filters reject. Comparisons are exact and case-sensitive.
class DeviceFilter {
public:
    virtual ~DeviceFilter() = default;
    virtual bool Match(const UpnpDiscovery* discovery) const = 0;
    // Same concrete type with the same parameters.
    virtual bool IsSame(const DeviceFilter& other) const = 0;
};

// The message's DeviceType equals the text.
class DeviceTypeFilter : public DeviceFilter {
public:
    explicit DeviceTypeFilter(std::string device_type) : device_type_(std::move(device_type)) {}
    bool Match(const UpnpDiscovery* discovery) const override;
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::string device_type_;
};

// The message's DeviceId equals the UDN.
class DeviceUDNFilter : public DeviceFilter {
public:
    explicit DeviceUDNFilter(std::string udn) : udn_(std::move(udn)) {}
    bool Match(const UpnpDiscovery* discovery) const override;
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::string udn_;
};

// The message's Location equals the URL.
class DeviceLocationFilter : public DeviceFilter {
public:
    explicit DeviceLocationFilter(std::string location) : location_(std::move(location)) {}
    bool Match(const UpnpDiscovery* discovery) const override;
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::string location_;
};

// The first filter matches, or else the second.
class OrFilter : public DeviceFilter {
public:
    OrFilter(std::shared_ptr<DeviceFilter> first, std::shared_ptr<DeviceFilter> second)
        : first_(std::move(first)), second_(std::move(second)) {}
    bool Match(const UpnpDiscovery* discovery) const override {
        return first_->Match(discovery) || second_->Match(discovery);
    }
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::shared_ptr<DeviceFilter> first_;
    std::shared_ptr<DeviceFilter> second_;
};

class NotFilter : public DeviceFilter {
public:
    explicit NotFilter(std::shared_ptr<DeviceFilter> inner) : inner_(std::move(inner)) {}
    bool Match(const UpnpDiscovery* discovery) const override { return !inner_->Match(discovery); }
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::shared_ptr<DeviceFilter> inner_;
};

// The message comes from a known device: its DeviceId is the client's UDN
// and its Location the client's location. A match renews the client's
// lifetime from the message's expiry, so Match must run under the
// UpnpUtility lock. The client is held weakly: once it is gone the filter
// matches nothing.
class ClientFilter : public DeviceFilter {
public:
    explicit ClientFilter(const std::shared_ptr<UpnpClient>& client) : client_(client) {}
    bool Match(const UpnpDiscovery* discovery) const override;
    bool IsSame(const DeviceFilter& other) const override;

private:
    std::weak_ptr<UpnpClient> client_;
};
