#pragma once
#include "ConnectionManagerExListener.h"
#include "ConnectionManagerListener.h"
#include "UpnpService.h"

// "urn:schemas-upnp-org:service:ConnectionManager:1", for the renderer or
// the server: the listener is that device's ConnectionManagerChannel, or
// null, and every action then answers 501.
class ConnectionManagerService : public UpnpService {
public:
    ConnectionManagerService(const ServiceInfo& info, ConnectionManagerListener* listener);
};

// The vendor extension, under either of its two service types.
class ConnectionManagerExService : public UpnpService {
public:
    ConnectionManagerExService(const ServiceInfo& info, ConnectionManagerExListener* listener);
};
