#pragma once
// How a channel's evented state reaches its service's subscribers: the
// channel reports each change of stored state to the one watcher its
// latest device's service gave it.
#include <cstdint>
#include <memory>
#include <mutex>

#include "ServiceEvents.h"

class StateWatcher {
public:
    virtual ~StateWatcher() = default;
    // Called with the channel's lock held, in the order the changes were
    // stored: it must only take note, never call out.
    virtual void OnStateChanged(uint32_t instance, const EventValues& changes) = 0;
};

// A channel's link to its watcher.
class WatchedState {
public:
    void Watch(std::weak_ptr<StateWatcher> watcher) {
        std::lock_guard<std::mutex> guard(mutex_);
        watcher_ = std::move(watcher);
    }
    // Reports the values of `after` that differ from `before` (both the
    // same variables in the same order); nothing when none does.
    void Report(uint32_t instance, const EventValues& before, const EventValues& after) {
        EventValues changes;
        for (size_t i = 0; i < after.size(); ++i)
            if (i >= before.size() || before[i] != after[i]) changes.push_back(after[i]);
        if (changes.empty()) return;
        std::shared_ptr<StateWatcher> watcher;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            watcher = watcher_.lock();
        }
        if (watcher) watcher->OnStateChanged(instance, changes);
    }

private:
    std::mutex mutex_;
    std::weak_ptr<StateWatcher> watcher_;
};
