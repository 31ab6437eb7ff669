#pragma once
// Runs the receiver executable as a child, the way an operator or another
// program would, and finds the address and port it announces.
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"

class ReceiverProcess : public ChildProcess {
public:
    // `directory` holds the executable and its data (a staged install).
    ReceiverProcess(const std::string& directory, const std::vector<std::string>& arguments,
                    const std::vector<std::pair<std::string, std::string>>& environment = {});

    // Waits (bounded) until the receiver logged its address and answers
    // control requests; false when it exited or never did.
    bool WaitUntilServing(int timeout_seconds = 20);
    const std::string& Address() const { return address_; }
    int Port() const { return port_; }

private:
    std::string address_;
    int port_ = 0;
};
