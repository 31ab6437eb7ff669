#pragma once
#include <memory>

class UpnpClient;

// Told of the control point's remote devices. Called with the runtime's
// lock held, on a libupnp thread or the monitor thread, so an implementation
// must not wait for another thread that needs that lock.
class UpnpDeviceListener {
public:
    virtual ~UpnpDeviceListener() = default;
    virtual void OnDeviceAdded(std::shared_ptr<UpnpClient> device) = 0;
    virtual void OnDeviceRemoved(std::shared_ptr<UpnpClient> device) = 0;
    // Time for a new search; the listener issues the ones it wants.
    virtual void OnSearch() = 0;
};
