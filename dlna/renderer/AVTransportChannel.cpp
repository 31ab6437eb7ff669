#include "renderer/AVTransportChannel.h"

#include "UpnpErrorMessages.h"
#include "common/DlnaLog.h"
#include "renderer/AVTransportEvents.h"

AVTransportChannel::AVTransportChannel() {
    instances_.emplace(0, AVTransportInstance{});
}

bool AVTransportChannel::Known(const char* operation, uint32_t id) const {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (instances_.count(id)) return true;
    }
    LogLine(DlnaLog(), LogLevel::Error) << "Invalid " << operation << " instance_id: " << id;
    return false;
}

template <class... Params, class... Args>
int AVTransportChannel::Command(const char* operation, uint32_t id,
                                int (AVTransportListener::*forward)(Params...), Args... args) {
    if (!Known(operation, id)) return upnp_error::kInvalidTransportInstance;
    return Forward(forward, args...);
}

template <class R>
int AVTransportChannel::Query(const char* operation, uint32_t id,
                              int (AVTransportListener::*forward)(uint32_t, R*),
                              R AVTransportInstance::*group, R* out) {
    if (!Known(operation, id)) return upnp_error::kInvalidTransportInstance;
    // The host may store fresh state from inside this call.
    if (int result = Forward(forward, id, out)) return result;
    std::lock_guard<std::mutex> guard(mutex_);
    *out = instances_.at(id).*group;
    return 0;
}

template <class R>
int AVTransportChannel::Store(const char* operation, uint32_t id, R AVTransportInstance::*group,
                              R value) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = instances_.find(id);
    if (found == instances_.end()) {
        LogLine(DlnaLog(), LogLevel::Error) << "Invalid " << operation << " instance_id: " << id;
        return upnp_error::kInvalidTransportInstance;
    }
    const EventValues before = EventedValues(found->second.*group);
    // The old strings are released after the lock, with `value`.
    std::swap(found->second.*group, value);
    watched_.Report(id, before, EventedValues(found->second.*group));
    return 0;
}

int AVTransportChannel::OnStop(uint32_t id) {
    return Command("OnStop", id, &AVTransportListener::OnStop, id);
}
int AVTransportChannel::OnPause(uint32_t id) {
    return Command("OnPause", id, &AVTransportListener::OnPause, id);
}
int AVTransportChannel::OnPlay(DLNA_PLAY_EVENT* event) {
    return Command("OnPlay", event->id, &AVTransportListener::OnPlay, event);
}
int AVTransportChannel::OnNext(uint32_t id) {
    return Command("OnNext", id, &AVTransportListener::OnNext, id);
}
int AVTransportChannel::OnPrevious(uint32_t id) {
    return Command("OnPrevious", id, &AVTransportListener::OnPrevious, id);
}
int AVTransportChannel::OnSeek(DLNA_SEEK_EVENT* event) {
    return Command("OnSeek", event->id, &AVTransportListener::OnSeek, event);
}

// The URI operations go through whatever the instance: the host decides.
int AVTransportChannel::OnSetAVTransportURI(DLNA_URI_EVENT* event) {
    return Forward(&AVTransportListener::OnSetAVTransportURI, event);
}
int AVTransportChannel::OnSetNextAVTransportURI(DLNA_URI_EVENT* event) {
    return Forward(&AVTransportListener::OnSetNextAVTransportURI, event);
}

int AVTransportChannel::OnGetMediaInfo(uint32_t id, MediaInfo* info) {
    return Query("OnGetMediaInfo", id, &AVTransportListener::OnGetMediaInfo,
                 &AVTransportInstance::media, info);
}
int AVTransportChannel::OnGetTransportInfo(uint32_t id, TransportInfo* info) {
    return Query("OnGetTransportInfo", id, &AVTransportListener::OnGetTransportInfo,
                 &AVTransportInstance::transport, info);
}
int AVTransportChannel::OnGetTransportSettings(uint32_t id, TransportSettings* settings) {
    return Query("OnGetTransportSettings", id, &AVTransportListener::OnGetTransportSettings,
                 &AVTransportInstance::settings, settings);
}
int AVTransportChannel::OnGetPositionInfo(uint32_t id, PositionInfo* info) {
    return Query("OnGetPositionInfo", id, &AVTransportListener::OnGetPositionInfo,
                 &AVTransportInstance::position, info);
}
int AVTransportChannel::OnGetDeviceCapabilities(uint32_t id, DeviceCapabilities* caps) {
    return Query("OnGetDeviceCapabilities", id, &AVTransportListener::OnGetDeviceCapabilities,
                 &AVTransportInstance::capabilities, caps);
}

int AVTransportChannel::SetMediaInfo(uint32_t id, MediaInfo info) {
    return Store("SetMediaInfo", id, &AVTransportInstance::media, std::move(info));
}
int AVTransportChannel::SetTransportInfo(uint32_t id, TransportInfo info) {
    return Store("SetTransportInfo", id, &AVTransportInstance::transport, std::move(info));
}
int AVTransportChannel::SetPositionInfo(uint32_t id, PositionInfo info) {
    return Store("SetPositionInfo", id, &AVTransportInstance::position, std::move(info));
}
int AVTransportChannel::SetTransportSettings(uint32_t id, TransportSettings settings) {
    return Store("SetTransportSettings", id, &AVTransportInstance::settings, std::move(settings));
}
int AVTransportChannel::SetDeviceCapabilities(uint32_t id, DeviceCapabilities caps) {
    return Store("SetDeviceCapabilities", id, &AVTransportInstance::capabilities, std::move(caps));
}

void AVTransportChannel::Watch(std::weak_ptr<StateWatcher> watcher) {
    watched_.Watch(std::move(watcher));
}

InstanceValues AVTransportChannel::EventState() const {
    std::lock_guard<std::mutex> guard(mutex_);
    InstanceValues out;
    for (const auto& [id, instance] : instances_) out[id] = AVTransportEventState(instance);
    return out;
}
