#pragma once
#include <functional>

namespace platform {

// The console close event's counterpart: SIGHUP, SIGTERM and SIGINT. The
// handler runs once, on a dedicated thread (not in signal context), and the
// process then ends with the conventional status for the signal received.
// Returns false when the handler could not be installed.
bool InstallTerminationHandler(std::function<void(int signal)> handler);

// Blocks the calling thread until a termination signal arrives; used when the
// handler's owner has nothing else to do. Returns the signal number.
int WaitForTerminationSignal();

}  // namespace platform
