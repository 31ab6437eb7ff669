#pragma once
#include <memory>
#include <mutex>

class UpnpDevice;

// Placeholder bridge: holds the local device once one is created.
class MediaRenderer {
public:
    MediaRenderer();
    ~MediaRenderer();
    void Bind(std::shared_ptr<UpnpDevice> device);
    std::shared_ptr<UpnpDevice> Device() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<UpnpDevice> device_;
};
