#pragma once
#include "RenderingControlExListener.h"
#include "RenderingControlListener.h"
#include "UpnpService.h"

// "urn:schemas-upnp-org:service:RenderingControl:1": presets and master
// volume. A null listener makes every action that needs it answer 501.
class RenderingControlService : public UpnpService {
public:
    RenderingControlService(const ServiceInfo& info, RenderingControlListener* listener);
};

// The vendor extension, under either of its two service types.
class RenderingControlExService : public UpnpService {
public:
    RenderingControlExService(const ServiceInfo& info, RenderingControlExListener* listener);
};
