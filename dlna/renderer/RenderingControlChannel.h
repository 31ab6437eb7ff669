#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "DLNA.h"
#include "common/Channel.h"
#include "common/LastChange.h"
#include "common/StateWatcher.h"
#include "renderer/RenderingControlListener.h"

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

    // Every change of stored state goes to the watcher; the latest wins.
    void Watch(std::weak_ptr<StateWatcher> watcher);
    // Each instance's evented variables as they stand.
    InstanceValues EventState() const;

private:
    bool Known(uint32_t id) const;
    // Callers hold the lock.
    void Store(uint32_t id, RenderingControlInstance& instance, uint16_t volume);
    static EventValues Evented(const RenderingControlInstance& instance);

    mutable std::mutex mutex_;
    std::map<uint32_t, RenderingControlInstance> instances_;
    WatchedState watched_;
};
