#pragma once
// When to start a supervised child again after it ended: after a delay that
// doubles with every quick failure (1 s up to 30 s) and falls back to 1 s
// once a run lasted a minute, and never more than kMaxPerWindow restarts in
// any kWindow.
#include <chrono>
#include <deque>

class RestartPolicy {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::seconds kFirstDelay{1};
    static constexpr std::chrono::seconds kMaxDelay{30};
    static constexpr std::chrono::seconds kStableRun{60};
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr int kMaxPerWindow = 4;

    // The child started at `started` ended at `ended`: the time of the next
    // start, which is recorded as done.
    Clock::time_point NextStart(Clock::time_point started, Clock::time_point ended);

private:
    Clock::duration delay_ = kFirstDelay;
    std::deque<Clock::time_point> restarts_;  // the last kMaxPerWindow
};
