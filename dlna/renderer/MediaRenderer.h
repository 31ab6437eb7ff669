#pragma once
#include <memory>
#include <mutex>

#include "connection/ConnectionManagerChannel.h"
#include "connection/ConnectionManagerExChannel.h"
#include "renderer/AVTransportChannel.h"
#include "renderer/RenderingControlChannel.h"
#include "renderer/RenderingControlExChannel.h"

class HostEvents;
class UpnpDevice;

// The bridge between the renderer's services and the host: it owns the five
// channels that keep the renderer's state, is the last listener of each and
// turns every request into an event for the host's callback, and holds the
// local renderer device.
class MediaRenderer : public AVTransportListener,
                      public ConnectionManagerListener,
                      public ConnectionManagerExListener,
                      public RenderingControlListener,
                      public RenderingControlExListener {
public:
    explicit MediaRenderer(HostEvents& host);
    ~MediaRenderer() override;
    MediaRenderer(const MediaRenderer&) = delete;
    MediaRenderer& operator=(const MediaRenderer&) = delete;

    void Bind(std::shared_ptr<UpnpDevice> device);
    std::shared_ptr<UpnpDevice> Device() const;

    AVTransportChannel& AVTransport() { return av_transport_; }
    ConnectionManagerChannel& ConnectionManager() { return connection_manager_; }
    ConnectionManagerExChannel& ConnectionManagerEx() { return connection_manager_ex_; }
    RenderingControlChannel& RenderingControl() { return rendering_control_; }
    RenderingControlExChannel& RenderingControlEx() { return rendering_control_ex_; }

    int OnStop(uint32_t id) override;
    int OnPause(uint32_t id) override;
    int OnPlay(DLNA_PLAY_EVENT* event) override;
    int OnNext(uint32_t id) override;
    int OnPrevious(uint32_t id) override;
    int OnSeek(DLNA_SEEK_EVENT* event) override;
    int OnSetAVTransportURI(DLNA_URI_EVENT* event) override;
    int OnSetNextAVTransportURI(DLNA_URI_EVENT* event) override;
    // The queries tell the host only the instance; the channel answers.
    int OnGetMediaInfo(uint32_t id, MediaInfo* info) override;
    int OnGetTransportInfo(uint32_t id, TransportInfo* info) override;
    int OnGetTransportSettings(uint32_t id, TransportSettings* settings) override;
    int OnGetPositionInfo(uint32_t id, PositionInfo* info) override;
    int OnGetDeviceCapabilities(uint32_t id, DeviceCapabilities* caps) override;

    int OnGetProtocolInfo(std::string* source, std::string* sink) override;
    // Answered by the channel itself; never reached.
    int OnGetCurrentConnectionIDs(std::string* ids) override;
    int OnGetCurrentConnectionInfo(int32_t id, ConnectionInfo* info) override;

    int OnConnectionKeepAlive(int32_t* connection_id) override;

    int OnSetVolume(DLNA_VOLUME_EVENT* event) override;
    int OnGetVolume(DLNA_CHANNEL_EVENT* event, uint16_t* volume) override;
    // Never reached: the channel answers presets itself.
    int OnSelectPreset(uint32_t id, const std::string& preset) override;
    int OnListPresets(uint32_t id, std::string* presets) override;

    int OnZoomIn(uint32_t id) override;
    int OnZoomOut(uint32_t id) override;
    int OnRotateClockwise(uint32_t id) override;
    int OnRotateCounterclockwise(uint32_t id) override;

private:
    // Instance ids travel as the event's data pointer itself.
    int Raise(DLNA_EVENT event, uint32_t id);
    int Raise(DLNA_EVENT event, void* data);

    HostEvents& host_;
    mutable std::mutex mutex_;
    std::shared_ptr<UpnpDevice> device_;
    AVTransportChannel av_transport_;
    ConnectionManagerChannel connection_manager_;
    ConnectionManagerExChannel connection_manager_ex_;
    RenderingControlChannel rendering_control_;
    RenderingControlExChannel rendering_control_ex_;
};
