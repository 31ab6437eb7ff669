#include "MediaServer.h"

#include "DLNAContext.h"
#include "UpnpDevice.h"

MediaServer::MediaServer() {
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
    return DLNAContext::Instance().RaiseEvent(DLNA_DMS_GET_PROTOCOL_INFO_EVENT, nullptr);
}
