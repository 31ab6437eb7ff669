#include "server/ContentDirectoryEvents.h"

ContentDirectoryEvents::ContentDirectoryEvents(Publish publish,
                                               std::chrono::milliseconds interval)
    : publish_(std::move(publish)), moderator_(interval, kGather, [this] { Flush(); }) {}

void ContentDirectoryEvents::OnStateChanged(uint32_t, const EventValues& changes) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        for (const auto& [name, value] : changes) {
            if (name == "SystemUpdateID") system_update_id_ = value;
            if (name != "ContainerUpdateIDs") continue;
            // "id,update,id,update,...": the ids are the tree's own numbers.
            size_t start = 0;
            while (start < value.size()) {
                const size_t comma = value.find(',', start);
                if (comma == std::string::npos) break;
                size_t end = value.find(',', comma + 1);
                if (end == std::string::npos) end = value.size();
                containers_[value.substr(start, comma - start)] =
                    value.substr(comma + 1, end - comma - 1);
                start = end + 1;
            }
        }
    }
    moderator_.Poke();
}

void ContentDirectoryEvents::Flush() {
    EventValues values;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (system_update_id_.empty() && containers_.empty()) return;
        std::string containers;
        for (const auto& [id, update] : containers_)
            containers += (containers.empty() ? "" : ",") + id + "," + update;
        values = {{"SystemUpdateID", system_update_id_}, {"ContainerUpdateIDs", containers}};
        system_update_id_.clear();
        containers_.clear();
    }
    publish_(values);
}
