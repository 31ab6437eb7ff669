#pragma once
// One shared folder's thread. Its job runs until asked to stop; the thread
// is asked when this object goes, given kGrace to end, and waited for.
#include <chrono>
#include <functional>
#include <future>
#include <stop_token>
#include <thread>

class SharingThread {
public:
    using Job = std::function<void(std::stop_token)>;
    static constexpr std::chrono::milliseconds kGrace{1000};

    explicit SharingThread(Job job);
    ~SharingThread();
    SharingThread(const SharingThread&) = delete;
    SharingThread& operator=(const SharingThread&) = delete;

    // Asks without waiting, so that many threads share one grace period.
    void RequestStop() { thread_.request_stop(); }

private:
    std::future<void> finished_;
    std::jthread thread_;
};
