#pragma once
#include <memory>

#include "UpnpService.h"
#include "connection/ConnectionManagerExListener.h"
#include "connection/ConnectionManagerListener.h"

class ConnectionManagerChannel;
class StateWatcher;

// "urn:schemas-upnp-org:service:ConnectionManager:1", for the renderer or
// the server: the listener is that device's ConnectionManagerChannel, or
// null, and every action then answers 501.
// With a channel, its protocol lists and connections are evented.
class ConnectionManagerService : public UpnpService {
public:
    ConnectionManagerService(const ServiceInfo& info, ConnectionManagerChannel* channel);

    EventValues InitialEvent() override;

private:
    ConnectionManagerChannel* channel_;
    std::shared_ptr<StateWatcher> watcher_;
};

// The vendor extension, under either of its two service types.
class ConnectionManagerExService : public UpnpService {
public:
    ConnectionManagerExService(const ServiceInfo& info, ConnectionManagerExListener* listener);
};
