#include "MediaServer.h"

#include "UpnpDevice.h"

MediaServer::MediaServer() = default;
MediaServer::~MediaServer() = default;

void MediaServer::Bind(std::shared_ptr<UpnpDevice> device) {
    std::lock_guard<std::mutex> guard(mutex_);
    device_ = std::move(device);
}

std::shared_ptr<UpnpDevice> MediaServer::Device() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return device_;
}
