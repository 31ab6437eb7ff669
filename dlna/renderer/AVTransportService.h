#pragma once
#include <memory>

#include "UpnpService.h"

class AVTransportChannel;
class StateWatcher;

// "urn:schemas-upnp-org:service:AVTransport:1". The channel is the
// renderer's, or null (remote devices, devices of another type): every
// action that needs it then answers 501, and nothing is evented. With one,
// every change the host stores goes to subscribers in LastChange.
class AVTransportService : public UpnpService {
public:
    AVTransportService(const ServiceInfo& info, AVTransportChannel* channel);

    EventValues InitialEvent() override;

private:
    AVTransportChannel* channel_;
    std::shared_ptr<StateWatcher> watcher_;
};
