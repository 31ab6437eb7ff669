#include "renderer/MediaRenderer.h"

#include <cstdint>

#include "UpnpDevice.h"
#include "common/HostEvents.h"

MediaRenderer::MediaRenderer(HostEvents& host) : host_(host) {
    av_transport_.SetDownstream(this);
    connection_manager_.SetDownstream(this);
    connection_manager_ex_.SetDownstream(this);
    rendering_control_.SetDownstream(this);
    rendering_control_ex_.SetDownstream(this);
}

MediaRenderer::~MediaRenderer() = default;

int MediaRenderer::Raise(DLNA_EVENT event, void* data) { return host_.RaiseEvent(event, data); }

int MediaRenderer::Raise(DLNA_EVENT event, uint32_t id) {
    return Raise(event, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
}

void MediaRenderer::Bind(std::shared_ptr<UpnpDevice> device) {
    std::lock_guard<std::mutex> guard(mutex_);
    device_ = std::move(device);
}

std::shared_ptr<UpnpDevice> MediaRenderer::Device() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return device_;
}

int MediaRenderer::OnSetAVTransportURI(DLNA_URI_EVENT* event) {
    return Raise(DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT, event);
}
int MediaRenderer::OnSetNextAVTransportURI(DLNA_URI_EVENT* event) {
    return Raise(DLNA_DMR_SET_NEXT_AV_TRANSPORT_URI_EVENT, event);
}
int MediaRenderer::OnPlay(DLNA_PLAY_EVENT* event) {
    return Raise(DLNA_DMR_PLAY_EVENT, event);
}
int MediaRenderer::OnStop(uint32_t id) {
    return Raise(DLNA_DMR_STOP_EVENT, id);
}
int MediaRenderer::OnPause(uint32_t id) {
    return Raise(DLNA_DMR_PAUSE_EVENT, id);
}
int MediaRenderer::OnSeek(DLNA_SEEK_EVENT* event) {
    return Raise(DLNA_DMR_SEEK_EVENT, event);
}
int MediaRenderer::OnNext(uint32_t id) {
    return Raise(DLNA_DMR_NEXT_EVENT, id);
}
int MediaRenderer::OnPrevious(uint32_t id) {
    return Raise(DLNA_DMR_PREVIOUS_EVENT, id);
}
int MediaRenderer::OnGetMediaInfo(uint32_t id, MediaInfo*) {
    return Raise(DLNA_DMR_GET_MEDIAINFO_EVENT, id);
}
int MediaRenderer::OnGetTransportInfo(uint32_t id, TransportInfo*) {
    return Raise(DLNA_DMR_GET_TRANSPORT_INFO_EVENT, id);
}
int MediaRenderer::OnGetPositionInfo(uint32_t id, PositionInfo*) {
    return Raise(DLNA_DMR_GET_POSITION_INFO_EVENT, id);
}
int MediaRenderer::OnGetDeviceCapabilities(uint32_t id, DeviceCapabilities*) {
    return Raise(DLNA_DMR_GET_DEVICE_CAPABILITIES_EVENT, id);
}
int MediaRenderer::OnGetTransportSettings(uint32_t id, TransportSettings*) {
    return Raise(DLNA_DMR_GET_TRANSPORT_SETTINGS_EVENT, id);
}

int MediaRenderer::OnGetProtocolInfo(std::string*, std::string*) {
    return Raise(DLNA_DMR_GET_PROTOCOL_INFO_EVENT, nullptr);
}
int MediaRenderer::OnGetCurrentConnectionIDs(std::string*) {
    return 0;
}
int MediaRenderer::OnGetCurrentConnectionInfo(int32_t, ConnectionInfo*) {
    return 0;
}

int MediaRenderer::OnConnectionKeepAlive(int32_t* connection_id) {
    return Raise(DLNA_DMR_KEEP_ALIVE_EVENT, connection_id);
}

int MediaRenderer::OnGetVolume(DLNA_CHANNEL_EVENT* event, uint16_t*) {
    return Raise(DLNA_DMR_GET_VOLUME_EVENT, event);
}
int MediaRenderer::OnSetVolume(DLNA_VOLUME_EVENT* event) {
    return Raise(DLNA_DMR_SET_VOLUME_EVENT, event);
}
int MediaRenderer::OnSelectPreset(uint32_t id, const std::string&) {
    return Raise(DLNA_DMR_RENDERING_CONTROL_EVENT, id);
}
int MediaRenderer::OnListPresets(uint32_t, std::string*) {
    return 0;
}

int MediaRenderer::OnZoomIn(uint32_t id) {
    return Raise(DLNA_DMR_ZOOM_IN_EVENT, id);
}
int MediaRenderer::OnZoomOut(uint32_t id) {
    return Raise(DLNA_DMR_ZOOM_OUT_EVENT, id);
}
int MediaRenderer::OnRotateClockwise(uint32_t id) {
    return Raise(DLNA_DMR_ROTATE_CLOCKWISE_EVENT, id);
}
int MediaRenderer::OnRotateCounterclockwise(uint32_t id) {
    return Raise(DLNA_DMR_ROTATE_COUNTERCLOCKWISE_EVENT, id);
}
