#include "controller/KnownDevices.h"

#include <algorithm>

#include "UpnpClient.h"
#include "common/HostEvents.h"

void KnownDevices::Add(const std::shared_ptr<UpnpClient>& device, int discovered) {
    if (!device) return;
    {
        // A device reported again (a second DLNA_StartControlPoint replays
        // them all) keeps its one entry: a second one would keep its handle
        // valid after the device left.
        std::lock_guard<std::mutex> guard(mutex_);
        const bool known = std::any_of(devices_.begin(), devices_.end(),
                                       [&](const Entry& entry) { return entry.device == device; });
        if (!known) devices_.push_back({device, discovered});
    }
    if (discovered >= 0) host_.RaiseEvent(static_cast<DLNA_EVENT>(discovered), device.get());
}

bool KnownDevices::Remove(const std::shared_ptr<UpnpClient>& device, int disappeared) {
    if (!Find(device.get())) return false;
    if (disappeared >= 0) host_.RaiseEvent(static_cast<DLNA_EVENT>(disappeared), device.get());
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        if (it->device == device) {
            devices_.erase(it);
            return true;
        }
    }
    return false;
}

std::shared_ptr<UpnpClient> KnownDevices::Find(const void* handle) {
    if (!handle) return nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    for (const Entry& known : devices_)
        if (known.device.get() == handle) return known.device;
    return nullptr;
}

std::vector<std::shared_ptr<UpnpClient>> KnownDevices::All() {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<std::shared_ptr<UpnpClient>> out;
    out.reserve(devices_.size());
    for (const Entry& known : devices_) out.push_back(known.device);
    return out;
}

void KnownDevices::Replay() {
    std::vector<Entry> replay;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        replay = devices_;
    }
    // The list itself stays in place, so a device that leaves meanwhile is
    // still reported as gone.
    for (const Entry& known : replay) {
        if (known.discovered < 0 || !Find(known.device.get())) continue;
        host_.RaiseEvent(static_cast<DLNA_EVENT>(known.discovered), known.device.get());
    }
}

void KnownDevices::Clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    devices_.clear();
}
