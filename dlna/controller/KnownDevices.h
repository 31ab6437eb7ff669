#pragma once
#include <memory>
#include <mutex>
#include <vector>

class HostEvents;
class UpnpClient;

// The remote devices the host has been told of: a device's handle is its
// address here, valid while the device is listed. Its mutex is never held
// while the host's callback runs.
class KnownDevices {
public:
    explicit KnownDevices(HostEvents& host) : host_(host) {}

    // `discovered` is the event raised for the device (23 or 25), or -1 for
    // a device that is neither a renderer nor a server. A device already
    // known is not listed twice; its event is raised again.
    void Add(const std::shared_ptr<UpnpClient>& device, int discovered);
    // Raises `disappeared` (when not -1) while the handle is still valid,
    // then forgets the device. False when the device was not known.
    bool Remove(const std::shared_ptr<UpnpClient>& device, int disappeared);
    // The device a host handle names, held for the caller's whole call;
    // empty when the handle is not in the list.
    std::shared_ptr<UpnpClient> Find(const void* handle);
    std::vector<std::shared_ptr<UpnpClient>> All();
    // Raises the discovered event of every device still known, in discovery
    // order: for a host that has just set its callback.
    void Replay();
    void Clear();

private:
    struct Entry {
        std::shared_ptr<UpnpClient> device;
        int discovered;
    };

    HostEvents& host_;
    std::mutex mutex_;
    std::vector<Entry> devices_;
};
