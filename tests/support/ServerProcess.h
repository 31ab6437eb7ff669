#pragma once
// The staged dlna-server as a child process, as an operator would start it.
#include <string>
#include <vector>

#include "ChildProcess.h"

class ServerProcess : public ChildProcess {
public:
    ServerProcess(const std::string& stage, const std::vector<std::string>& arguments);
    // Waits until it printed its description URL and its final count.
    bool WaitUntilShared(int timeout_seconds = 20);
    const std::string& Address() const { return address_; }
    int Port() const { return port_; }
    std::string Base() const { return "http://" + address_ + ":" + std::to_string(port_); }

private:
    std::string address_;
    int port_ = 0;
};
