#include "server/MediaServer.h"

#include "UpnpDevice.h"
#include "common/HostEvents.h"

MediaServer::MediaServer(HostEvents& host) : host_(host) {
    connection_manager_.SetDownstream(this);
}
MediaServer::~MediaServer() = default;

void MediaServer::Bind(std::shared_ptr<UpnpDevice> device) {
    std::lock_guard<std::mutex> guard(mutex_);
    device_ = std::move(device);
}

std::shared_ptr<UpnpDevice> MediaServer::Device() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return device_;
}

int MediaServer::OnGetProtocolInfo(std::string*, std::string*) {
    return host_.RaiseEvent(DLNA_DMS_GET_PROTOCOL_INFO_EVENT, nullptr);
}
