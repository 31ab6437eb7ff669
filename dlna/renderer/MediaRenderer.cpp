#include "MediaRenderer.h"

#include "UpnpDevice.h"

MediaRenderer::MediaRenderer() = default;
MediaRenderer::~MediaRenderer() = default;

void MediaRenderer::Bind(std::shared_ptr<UpnpDevice> device) {
    std::lock_guard<std::mutex> guard(mutex_);
    device_ = std::move(device);
}

std::shared_ptr<UpnpDevice> MediaRenderer::Device() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return device_;
}
