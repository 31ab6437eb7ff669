#include "RestartPolicy.h"

#include <algorithm>

RestartPolicy::Clock::time_point RestartPolicy::NextStart(Clock::time_point started,
                                                          Clock::time_point ended) {
    if (ended - started >= kStableRun) delay_ = kFirstDelay;
    Clock::time_point next = ended + delay_;
    if (static_cast<int>(restarts_.size()) == kMaxPerWindow)
        next = std::max(next, restarts_.front() + kWindow);
    delay_ = std::min<Clock::duration>(delay_ * 2, kMaxDelay);
    restarts_.push_back(next);
    if (static_cast<int>(restarts_.size()) > kMaxPerWindow) restarts_.pop_front();
    return next;
}
