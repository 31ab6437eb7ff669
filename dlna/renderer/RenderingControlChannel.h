#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "Channel.h"
#include "DLNA.h"
#include "RenderingControlListener.h"

// One instance's volume as the library keeps it.
struct RenderingControlInstance {
    uint16_t volume = 100;
    // The channel of the last host update, empty when it had none.
    std::string channel;
};

// Keeps the renderer's volume per instance (instance 0 alone) and answers
// the presets itself. Its mutex is never held while the downstream
// listener runs.
class RenderingControlChannel : public Channel<RenderingControlListener> {
public:
    RenderingControlChannel();

    int OnSetVolume(DLNA_VOLUME_EVENT* event) override;
    int OnGetVolume(DLNA_CHANNEL_EVENT* event, uint16_t* volume) override;
    int OnSelectPreset(uint32_t id, const std::string& preset) override;
    int OnListPresets(uint32_t id, std::string* presets) override;

    // Host setter: 702 for an unknown instance.
    int SetVolume(uint32_t id, const DLNA_VOLUME& volume);

private:
    bool Known(uint32_t id) const;

    mutable std::mutex mutex_;
    std::map<uint32_t, RenderingControlInstance> instances_;
};
