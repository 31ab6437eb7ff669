#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "common/Channel.h"
#include "common/LastChange.h"
#include "common/StateWatcher.h"
#include "renderer/AVTransportListener.h"
#include "renderer/AVTransportRecords.h"

// Keeps the renderer's playback instances (instance 0 alone) between the
// AVTransport service and the bridge. Host setters and queries meet here
// under the channel's own mutex, which is never held while the downstream
// listener (and so the host's callback) runs: a callback may call a setter
// on its own thread.
class AVTransportChannel : public Channel<AVTransportListener> {
public:
    AVTransportChannel();

    int OnStop(uint32_t id) override;
    int OnPause(uint32_t id) override;
    int OnPlay(DLNA_PLAY_EVENT* event) override;
    int OnNext(uint32_t id) override;
    int OnPrevious(uint32_t id) override;
    int OnSeek(DLNA_SEEK_EVENT* event) override;
    int OnSetAVTransportURI(DLNA_URI_EVENT* event) override;
    int OnSetNextAVTransportURI(DLNA_URI_EVENT* event) override;
    int OnGetMediaInfo(uint32_t id, MediaInfo* info) override;
    int OnGetTransportInfo(uint32_t id, TransportInfo* info) override;
    int OnGetTransportSettings(uint32_t id, TransportSettings* settings) override;
    int OnGetPositionInfo(uint32_t id, PositionInfo* info) override;
    int OnGetDeviceCapabilities(uint32_t id, DeviceCapabilities* caps) override;

    // Host setters: replace one whole group; 718 for an unknown instance.
    int SetMediaInfo(uint32_t id, MediaInfo info);
    int SetTransportInfo(uint32_t id, TransportInfo info);
    int SetPositionInfo(uint32_t id, PositionInfo info);
    int SetTransportSettings(uint32_t id, TransportSettings settings);
    int SetDeviceCapabilities(uint32_t id, DeviceCapabilities caps);

    // Every change of stored state goes to the watcher; the latest wins.
    void Watch(std::weak_ptr<StateWatcher> watcher);
    // Each instance's evented variables as they stand.
    InstanceValues EventState() const;

private:
    bool Known(const char* operation, uint32_t id) const;
    template <class... Params, class... Args>
    int Command(const char* operation, uint32_t id, int (AVTransportListener::*forward)(Params...),
                Args... args);
    template <class R>
    int Query(const char* operation, uint32_t id, int (AVTransportListener::*forward)(uint32_t, R*),
              R AVTransportInstance::*group, R* out);
    template <class R>
    int Store(const char* operation, uint32_t id, R AVTransportInstance::*group, R value);

    mutable std::mutex mutex_;
    std::map<uint32_t, AVTransportInstance> instances_;
    WatchedState watched_;
};
