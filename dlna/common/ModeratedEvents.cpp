#include "common/ModeratedEvents.h"

ModeratedEvents::ModeratedEvents(Publish publish, std::string last_change,
                                 std::chrono::milliseconds interval)
    : publish_(std::move(publish)),
      last_change_(std::move(last_change)),
      moderator_(interval, kGather, [this] { Flush(); }) {}

ModeratedEvents::ModeratedEvents(std::shared_ptr<ServiceEvents> events, std::string last_change)
    : ModeratedEvents([events](const EventValues& values) { events->Publish(values); },
                      std::move(last_change)) {}

void ModeratedEvents::OnStateChanged(uint32_t instance, const EventValues& changes) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        MergeChanges(pending_, instance, changes);
    }
    moderator_.Poke();
}

void ModeratedEvents::Flush() {
    InstanceValues taken;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        taken.swap(pending_);
    }
    if (taken.empty()) return;
    if (!last_change_.empty()) {
        publish_({{"LastChange", LastChangeDocument(last_change_, taken)}});
        return;
    }
    // Plain variables have no instances: the latest of each is sent.
    InstanceValues merged;
    for (const auto& [instance, values] : taken) MergeChanges(merged, 0, values);
    publish_(merged[0]);
}
