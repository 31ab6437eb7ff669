#include "TimerQueue.h"

TimerQueue::TimerQueue() : thread_([this] { Run(); }) {}

TimerQueue::~TimerQueue() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void TimerQueue::After(std::chrono::milliseconds delay, std::function<void()> call) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        calls_.emplace(Clock::now() + delay, std::move(call));
    }
    wake_.notify_one();
}

void TimerQueue::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (calls_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto due = calls_.begin()->first;
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        auto call = std::move(calls_.begin()->second);
        calls_.erase(calls_.begin());
        lock.unlock();
        call();
        lock.lock();
    }
}
