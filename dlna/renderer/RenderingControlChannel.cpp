#include "renderer/RenderingControlChannel.h"

#include "UpnpErrorMessages.h"
#include "renderer/RendererTables.h"

RenderingControlChannel::RenderingControlChannel() {
    instances_.emplace(0, RenderingControlInstance{});
}

bool RenderingControlChannel::Known(uint32_t id) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return instances_.count(id) != 0;
}

int RenderingControlChannel::OnSetVolume(DLNA_VOLUME_EVENT* event) {
    if (!Known(event->id)) return upnp_error::kInvalidRenderingControlInstance;
    if (int result = Forward(&RenderingControlListener::OnSetVolume, event)) return result;
    std::lock_guard<std::mutex> guard(mutex_);
    Store(event->id, instances_.at(event->id), event->volume);
    return 0;
}

int RenderingControlChannel::OnGetVolume(DLNA_CHANNEL_EVENT* event, uint16_t* volume) {
    if (!Known(event->id)) return upnp_error::kInvalidRenderingControlInstance;
    // The host may store a fresh volume from inside this call.
    if (int result = Forward(&RenderingControlListener::OnGetVolume, event, volume)) return result;
    std::lock_guard<std::mutex> guard(mutex_);
    *volume = instances_.at(event->id).volume;
    return 0;
}

int RenderingControlChannel::OnSelectPreset(uint32_t, const std::string& preset) {
    // Nothing is stored that a preset could change.
    return preset == "FactoryDefaults" || preset == "InstallationDefaults"
               ? 0
               : upnp_error::kInvalidArgs;
}

int RenderingControlChannel::OnListPresets(uint32_t id, std::string* presets) {
    if (!Known(id)) return upnp_error::kInvalidRenderingControlInstance;
    *presets = "FactoryDefaults";
    return 0;
}

int RenderingControlChannel::SetVolume(uint32_t id, const DLNA_VOLUME& volume) {
    std::string channel(kChannelTable.Text(volume.channel).value_or(""));
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = instances_.find(id);
    if (found == instances_.end()) return upnp_error::kInvalidRenderingControlInstance;
    found->second.channel = std::move(channel);
    Store(id, found->second, volume.volume);
    return 0;
}

void RenderingControlChannel::Store(uint32_t id, RenderingControlInstance& instance,
                                    uint16_t volume) {
    const EventValues before = Evented(instance);
    instance.volume = volume;
    watched_.Report(id, before, Evented(instance));
}

EventValues RenderingControlChannel::Evented(const RenderingControlInstance& instance) {
    return {{"Volume", std::to_string(instance.volume)}};
}

void RenderingControlChannel::Watch(std::weak_ptr<StateWatcher> watcher) {
    watched_.Watch(std::move(watcher));
}

InstanceValues RenderingControlChannel::EventState() const {
    std::lock_guard<std::mutex> guard(mutex_);
    InstanceValues out;
    for (const auto& [id, instance] : instances_) {
        out[id] = Evented(instance);
        // Neither muting nor presets change: constant, and so only here.
        out[id].emplace_back("Mute", "0");
        out[id].emplace_back("PresetNameList", "FactoryDefaults");
    }
    return out;
}
