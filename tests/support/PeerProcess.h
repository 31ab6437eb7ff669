#pragma once
// Runs another program (a UPnP peer from Debian, a helper script) as a child
// of the test: its own process group, both output streams in one log file,
// killed with the test if the test dies.
#include <sys/types.h>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

struct PeerCommand {
    PeerCommand(std::string program, std::vector<std::string> arguments = {})
        : program(std::move(program)), arguments(std::move(arguments)) {}

    std::string program;  // a path, or a name looked up in PATH
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment;  // added to the test's own
    std::string directory;  // working directory; empty keeps the test's
};

class PeerProcess {
public:
    explicit PeerProcess(PeerCommand command);
    ~PeerProcess();  // kills what is still running
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool Running();
    pid_t Pid() const { return pid_; }
    const PeerCommand& Command() const { return command_; }

    // Bounded waits; false when the time ran out or the program exited.
    bool WaitForPort(const std::string& host, int port, int timeout_seconds = 20);
    bool WaitForOutput(const std::string& text, int timeout_seconds = 20);

    // Sends `signal` to the program and waits for it to exit: the wait
    // status, or -1 on time-out (the program is then still running).
    int Stop(int signal = SIGTERM, int timeout_seconds = 20);
    // SIGKILL to the whole process group, then reaps it.
    void Kill();

    std::string Output() const;
    const std::string& LogPath() const { return log_path_; }

private:
    bool Reap(bool wait);

    PeerCommand command_;
    pid_t pid_ = -1;
    int status_ = 0;
    std::string log_path_;
};

// True once a TCP connection to host:port opens, within the time-out.
bool WaitForTcpPort(const std::string& host, int port, int timeout_seconds);
