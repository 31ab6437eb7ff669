#include "SharingThread.h"

#include "CastLog.h"

SharingThread::SharingThread(Job job) {
    std::promise<void> finished;
    finished_ = finished.get_future();
    thread_ = std::jthread(
        [job = std::move(job), finished = std::move(finished)](std::stop_token stop) mutable {
            job(stop);
            finished.set_value();
        });
}

SharingThread::~SharingThread() {
    thread_.request_stop();
    // A thread cannot be ended from outside safely: a late one is reported
    // and still waited for (its job checks the stop request between files).
    if (finished_.wait_for(kGrace) != std::future_status::ready)
        CastLog(CastLogLevel::Warning)
            << "A sharing thread did not end within " << kGrace.count() << " ms";
}
