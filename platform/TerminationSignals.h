#pragma once
#include <chrono>
#include <functional>

namespace platform {

// The console close event's counterpart: SIGHUP, SIGTERM and SIGINT.

// Blocks the three signals in the calling thread and so in every thread it
// starts afterwards; call it before any thread starts, or a signal may land on
// a thread that lets it kill the process unhandled.
void BlockTerminationSignals();

// The handler runs once, on a dedicated thread (not in signal context), and
// the process then ends with the conventional status for the signal received.
// Returns false when the handler could not be installed (or already was).
bool InstallTerminationHandler(std::function<void(int signal)> handler);

// Blocks the calling thread until a termination signal arrives or the time-out
// passes; returns the signal number, or 0 on time-out. Once a handler is
// installed its thread takes every signal and ends the process, so the caller
// only waits: 0 after the time-out, no return without one.
int WaitForTerminationSignal(std::chrono::milliseconds timeout = std::chrono::milliseconds::max());

}  // namespace platform
