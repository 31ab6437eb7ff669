#pragma once
// ContentDirectory's evented variables, moderated as the service's
// subscribers expect: at most one event per 2 s, carrying the latest
// SystemUpdateID and every container changed since the last event.
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "EventModerator.h"
#include "ServiceEvents.h"
#include "common/StateWatcher.h"

class ContentDirectoryEvents : public StateWatcher {
public:
    static constexpr std::chrono::milliseconds kInterval{2000};
    static constexpr std::chrono::milliseconds kGather{10};
    using Publish = std::function<void(const EventValues& values)>;

    explicit ContentDirectoryEvents(Publish publish,
                                    std::chrono::milliseconds interval = kInterval);

    // Takes SystemUpdateID as it is and ContainerUpdateIDs as "id,update"
    // pairs, a later update of a container replacing the earlier.
    void OnStateChanged(uint32_t instance, const EventValues& changes) override;

private:
    void Flush();

    const Publish publish_;
    std::mutex mutex_;
    std::string system_update_id_;
    std::map<std::string, std::string> containers_;
    // Last: its thread stops before what it flushes goes.
    EventModerator moderator_;
};
