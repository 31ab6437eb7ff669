#pragma once
// Runs the receiver executable as a child, the way an operator or another
// program would, and finds the address and port it announces.
#include <sys/types.h>

#include <string>
#include <vector>

class ReceiverProcess {
public:
    // `directory` holds the executable and its data (a staged install).
    ReceiverProcess(const std::string& directory, const std::vector<std::string>& arguments,
                    const std::vector<std::pair<std::string, std::string>>& environment = {});
    ~ReceiverProcess();  // SIGKILL if still running
    ReceiverProcess(const ReceiverProcess&) = delete;
    ReceiverProcess& operator=(const ReceiverProcess&) = delete;

    // Waits (bounded) until the receiver logged its address; false when it
    // exited or never did.
    bool WaitUntilServing(int timeout_seconds = 20);
    const std::string& Address() const { return address_; }
    int Port() const { return port_; }

    // Sends `signal` and waits for the exit; the wait status, or -1 on time-out.
    int Stop(int signal, int timeout_seconds = 20);
    // Everything the receiver wrote to standard output and error so far.
    std::string Output();

private:
    pid_t pid_ = -1;
    std::string log_path_;
    std::string address_;
    int port_ = 0;
};
