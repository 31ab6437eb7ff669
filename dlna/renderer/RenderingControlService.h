#pragma once
#include <memory>

#include "UpnpService.h"
#include "renderer/RenderingControlExListener.h"
#include "renderer/RenderingControlListener.h"

class RenderingControlChannel;
class StateWatcher;

// "urn:schemas-upnp-org:service:RenderingControl:1": presets and master
// volume. A null listener makes every action that needs it answer 501.
// With the renderer's channel, every volume change goes to subscribers in
// LastChange.
class RenderingControlService : public UpnpService {
public:
    RenderingControlService(const ServiceInfo& info, RenderingControlChannel* channel);

    EventValues InitialEvent() override;

private:
    RenderingControlChannel* channel_;
    std::shared_ptr<StateWatcher> watcher_;
};

// The vendor extension, under either of its two service types.
class RenderingControlExService : public UpnpService {
public:
    RenderingControlExService(const ServiceInfo& info, RenderingControlExListener* listener);
};
