#include "RenderingControlChannel.h"

#include "RendererTables.h"

namespace {
constexpr int kInvalidArgs = 402;
constexpr int kInvalidInstance = 702;
}  // namespace

RenderingControlChannel::RenderingControlChannel() {
    instances_.emplace(0, RenderingControlInstance{});
}

bool RenderingControlChannel::Known(uint32_t id) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return instances_.count(id) != 0;
}

int RenderingControlChannel::OnSetVolume(DLNA_VOLUME_EVENT* event) {
    if (!Known(event->id)) return kInvalidInstance;
    if (int result = Forward(&RenderingControlListener::OnSetVolume, event)) return result;
    std::lock_guard<std::mutex> guard(mutex_);
    instances_.at(event->id).volume = event->volume;
    return 0;
}

int RenderingControlChannel::OnGetVolume(DLNA_CHANNEL_EVENT* event, uint16_t* volume) {
    if (!Known(event->id)) return kInvalidInstance;
    // The host may store a fresh volume from inside this call.
    if (int result = Forward(&RenderingControlListener::OnGetVolume, event, volume)) return result;
    std::lock_guard<std::mutex> guard(mutex_);
    *volume = instances_.at(event->id).volume;
    return 0;
}

int RenderingControlChannel::OnSelectPreset(uint32_t, const std::string& preset) {
    // Nothing is stored that a preset could change.
    return preset == "FactoryDefaults" || preset == "InstallationDefaults" ? 0 : kInvalidArgs;
}

int RenderingControlChannel::OnListPresets(uint32_t id, std::string* presets) {
    if (!Known(id)) return kInvalidInstance;
    *presets = "FactoryDefaults";
    return 0;
}

int RenderingControlChannel::SetVolume(uint32_t id, const DLNA_VOLUME& volume) {
    std::string channel(kChannelTable.Text(volume.channel).value_or(""));
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = instances_.find(id);
    if (found == instances_.end()) return kInvalidInstance;
    found->second.volume = volume.volume;
    found->second.channel = std::move(channel);
    return 0;
}
