#include "ServerProcess.h"

ServerProcess::ServerProcess(const std::string& stage, const std::vector<std::string>& arguments)
    : ChildProcess(stage + "/bin/dlna-server", arguments) {}

bool ServerProcess::WaitUntilShared(int timeout_seconds) {
    // The address comes first, the count once the folders are shared.
    if (WaitForOutput("dlna-server: shared ", timeout_seconds).empty()) return false;
    const auto match = WaitForOutput(R"(at http://([0-9.]+):(\d+)/description\.xml)", 0);
    if (match.size() < 3) return false;
    address_ = match[1];
    port_ = std::stoi(match[2]);
    return true;
}
