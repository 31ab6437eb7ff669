#pragma once
#include <chrono>
#include <string>

// How long a live-capture script may take. It runs under the request lock,
// so every other request waits for it.
inline constexpr std::chrono::milliseconds kBatchFileDeadline{5000};

// Runs a script through /bin/sh and returns what it printed on standard
// output, unchanged. The exit code is not looked at; standard error is not
// captured. When the script cannot be started, or has not ended by the
// deadline (it is then killed with everything it started), the text is empty.
std::string RunBatchFile(const std::string& path,
                         std::chrono::milliseconds deadline = kBatchFileDeadline);
