#pragma once
// Moderated eventing: whatever changes in between, at most one event per
// interval. The owner collects its changes and calls Poke; `flush` runs on
// the moderator's own thread `gather` after the first change of a quiet
// spell (so that what one request changes goes as one event), and never
// sooner than `interval` after the last flush.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class EventModerator {
public:
    using Clock = std::chrono::steady_clock;

    EventModerator(std::chrono::milliseconds interval, std::chrono::milliseconds gather,
                   std::function<void()> flush);
    // Runs a flush still due, then stops.
    ~EventModerator();
    EventModerator(const EventModerator&) = delete;
    EventModerator& operator=(const EventModerator&) = delete;

    // Something changed.
    void Poke();

private:
    void Run();

    const std::chrono::milliseconds interval_;
    const std::chrono::milliseconds gather_;
    const std::function<void()> flush_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
    bool stopping_ = false;
    Clock::time_point next_allowed_{};
    std::thread thread_;
};
