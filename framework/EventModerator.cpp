#include "EventModerator.h"

#include <algorithm>

EventModerator::EventModerator(std::chrono::milliseconds interval,
                               std::chrono::milliseconds gather, std::function<void()> flush)
    : interval_(interval), gather_(gather), flush_(std::move(flush)), thread_([this] { Run(); }) {}

EventModerator::~EventModerator() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void EventModerator::Poke() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        pending_ = true;
    }
    wake_.notify_one();
}

void EventModerator::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (stopping_ && !pending_) return;
        // Wait out the gathering time and the interval since the last event;
        // changes meanwhile join this one.
        const auto due = std::max(next_allowed_, Clock::now() + gather_);
        if (!stopping_ && wake_.wait_until(lock, due, [this] { return stopping_; })) continue;
        pending_ = false;
        lock.unlock();
        flush_();
        lock.lock();
        next_allowed_ = Clock::now() + interval_;
    }
}
