#pragma once
#include "AVTransportListener.h"
#include "UpnpService.h"

// "urn:schemas-upnp-org:service:AVTransport:1". The listener is the
// renderer's AVTransportChannel, or null (remote devices, devices of
// another type): every action that needs it then answers 501.
class AVTransportService : public UpnpService {
public:
    AVTransportService(const ServiceInfo& info, AVTransportListener* listener);
};
