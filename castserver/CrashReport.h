#pragma once
// A report of a fatal signal, in place of a minidump: the handler writes
// the signal and a backtrace to "<folder>/<prefix>%Y-%m-%d_%H-%M-%S.crash"
// (local time of the crash) and then lets the signal's default action end
// the process, so a core dump or the session's crash handling still follows.
#include <string>

namespace crashreport {

// Covers SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT. `folder` is created
// when missing. False when the handlers could not be installed.
bool Install(const std::string& folder, const std::string& prefix);

}  // namespace crashreport
