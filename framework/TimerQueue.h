#pragma once
// Calls run later on one thread of their own, in the order they fall due.
// Calls still waiting when the queue goes are dropped.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class TimerQueue {
public:
    using Clock = std::chrono::steady_clock;

    TimerQueue();
    ~TimerQueue();
    TimerQueue(const TimerQueue&) = delete;
    TimerQueue& operator=(const TimerQueue&) = delete;

    void After(std::chrono::milliseconds delay, std::function<void()> call);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::multimap<Clock::time_point, std::function<void()>> calls_;
    bool stopping_ = false;
    std::thread thread_;
};
