#pragma once
// A service's changes, collected as its channel reports them and published
// at most once per interval with everything changed since the last event:
// as one LastChange document (the AV services) or variable by variable.
// The first change of a quiet spell waits `kGather` for the rest of its
// request.
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "EventModerator.h"
#include "ServiceEvents.h"
#include "common/LastChange.h"
#include "common/StateWatcher.h"

class ModeratedEvents : public StateWatcher {
public:
    static constexpr std::chrono::milliseconds kInterval{200};
    static constexpr std::chrono::milliseconds kGather{10};
    using Publish = std::function<void(const EventValues& values)>;

    // `last_change` names the LastChange namespace; empty for plain variables.
    ModeratedEvents(Publish publish, std::string last_change,
                    std::chrono::milliseconds interval = kInterval);
    // Publishing through a service's subscribers.
    ModeratedEvents(std::shared_ptr<ServiceEvents> events, std::string last_change);

    void OnStateChanged(uint32_t instance, const EventValues& changes) override;

private:
    void Flush();

    const Publish publish_;
    const std::string last_change_;
    std::mutex mutex_;
    InstanceValues pending_;
    // Last: its thread stops before what it flushes goes.
    EventModerator moderator_;
};
