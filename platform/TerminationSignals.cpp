#include "TerminationSignals.h"

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

namespace {

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

// Set once the watcher thread owns the signals: other waiters must not take
// one from it.
struct Watcher {
    std::mutex mutex;
    std::condition_variable never_notified;
    bool installed = false;
};

Watcher& TheWatcher() {
    static Watcher watcher;
    return watcher;
}

[[noreturn]] void EndWithSignal(int signal) {
    // Killed by a signal, stdio would drop what is still buffered.
    std::fflush(stdout);
    std::fflush(stderr);
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    // Not reached unless the signal was somehow survived.
    std::_Exit(128 + signal);
}

}  // namespace

void BlockTerminationSignals() {
    sigset_t set = TerminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool InstallTerminationHandler(std::function<void(int signal)> handler) {
    if (!handler) return false;
    BlockTerminationSignals();
    Watcher& watcher = TheWatcher();
    {
        std::lock_guard<std::mutex> guard(watcher.mutex);
        if (watcher.installed) return false;
        watcher.installed = true;
    }
    try {
        std::thread([handler = std::move(handler)] {
            sigset_t set = TerminationSet();
            int signal = 0;
            while (sigwait(&set, &signal) != 0) {
            }
            handler(signal);
            EndWithSignal(signal);
        }).detach();
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> guard(watcher.mutex);
        watcher.installed = false;
        return false;
    }
    return true;
}

int WaitForTerminationSignal(std::chrono::milliseconds timeout) {
    Watcher& watcher = TheWatcher();
    {
        std::unique_lock<std::mutex> lock(watcher.mutex);
        if (watcher.installed) {
            auto never = [] { return false; };
            if (timeout == std::chrono::milliseconds::max())
                watcher.never_notified.wait(lock, never);
            else
                watcher.never_notified.wait_for(lock, timeout, never);
            return 0;
        }
    }

    BlockTerminationSignals();
    sigset_t set = TerminationSet();
    if (timeout == std::chrono::milliseconds::max()) {
        int signal = 0;
        while (sigwait(&set, &signal) != 0) {
        }
        return signal;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const auto nanoseconds =
        std::chrono::duration_cast<std::chrono::nanoseconds>(timeout - seconds);
    const timespec wait = {static_cast<time_t>(seconds.count()),
                           static_cast<long>(nanoseconds.count())};
    for (;;) {
        const int signal = sigtimedwait(&set, nullptr, &wait);
        if (signal > 0) return signal;
        if (errno == EAGAIN) return 0;
        // EINTR: another signal's handler ran; the time-out restarts, which
        // only lengthens a periodic wait.
    }
}

}  // namespace platform
