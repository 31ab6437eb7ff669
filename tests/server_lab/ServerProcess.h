#pragma once
// The staged dlna-server (or any lab peer) as a child process, as an
// operator would start it, and the commands a test runs against it.
#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
public:
    // `pty`: standard output is a terminal.
    ChildProcess(const std::string& exe, const std::vector<std::string>& arguments,
                 bool pty = false);
    ~ChildProcess();  // SIGKILL if still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits (bounded) until the output holds `text`; false when the child
    // exited or it never came.
    bool WaitForOutput(const std::string& text, int timeout_seconds = 20);
    // Sends `signal` (0: none) and waits for the exit: the wait status, or -1
    // on time-out.
    int Stop(int signal, int timeout_seconds = 20);
    std::string Output();
    bool Running();
    pid_t pid() const { return pid_; }

private:
    void Drain();

    pid_t pid_ = -1;
    int pty_ = -1;
    std::string log_path_;
    std::string pty_output_;
};

// The staged server: waits until it printed its description URL and its
// final count.
class ServerProcess : public ChildProcess {
public:
    ServerProcess(const std::string& stage, const std::vector<std::string>& arguments);
    bool WaitUntilShared(int timeout_seconds = 20);
    const std::string& Address() const { return address_; }
    int Port() const { return port_; }
    std::string Base() const { return "http://" + address_ + ":" + std::to_string(port_); }

private:
    std::string address_;
    int port_ = 0;
};

struct CommandResult {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string output;
};
// Runs a shell command, standard error joined to the output.
CommandResult RunCommand(const std::string& command);
std::string ShellQuote(const std::string& text);
