#pragma once
// A libupnp discovery record, as the client callback receives it.
#include <upnp.h>

#include <string>

struct DiscoveryMessage {
    std::string id, type, location;
    int expires = 1800;
};

class DiscoveryRecord {
public:
    explicit DiscoveryRecord(const DiscoveryMessage& message) : record_(UpnpDiscovery_new()) {
        UpnpDiscovery_strcpy_DeviceID(record_, message.id.c_str());
        UpnpDiscovery_strcpy_DeviceType(record_, message.type.c_str());
        UpnpDiscovery_strcpy_Location(record_, message.location.c_str());
        UpnpDiscovery_set_Expires(record_, message.expires);
    }
    ~DiscoveryRecord() { UpnpDiscovery_delete(record_); }
    DiscoveryRecord(const DiscoveryRecord&) = delete;
    DiscoveryRecord& operator=(const DiscoveryRecord&) = delete;
    const UpnpDiscovery* get() const { return record_; }

private:
    UpnpDiscovery* record_;
};
