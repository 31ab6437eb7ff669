#pragma once
// Runs a program as a child the way an operator or another program would:
// its output goes to a private log file (or a terminal) the test reads, and
// it may be given a pipe on standard input for a line protocol.
#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
public:
    struct Setup {
        std::vector<std::pair<std::string, std::string>> environment;
        std::string directory;    // empty: this process's
        bool input_pipe = false;  // otherwise standard input is /dev/null
        // Standard input, output and error are a terminal (a pty), which
        // programs write to differently.
        bool terminal = false;
    };

    ChildProcess(const std::string& executable, const std::vector<std::string>& arguments,
                const Setup& setup);
    ChildProcess(const std::string& executable, const std::vector<std::string>& arguments)
        : ChildProcess(executable, arguments, Setup{}) {}
    ~ChildProcess();  // SIGKILL if still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits (bounded) until the output from `offset` on matches the ECMAScript
    // `pattern`; the whole match and its groups, empty when the child exited
    // or time ran out. `end` (when given) receives the offset after the match.
    std::vector<std::string> WaitForOutput(const std::string& pattern, int timeout_seconds = 20,
                                           size_t offset = 0, size_t* end = nullptr);
    // Writes one line to the child's standard input pipe.
    bool Send(const std::string& line);

    bool Running();
    // -1 once it has been reaped.
    pid_t Pid() const { return pid_; }
    // Sends `signal` and waits for the exit; the wait status, or -1 on time-out.
    int Stop(int signal, int timeout_seconds = 20);
    // Waits for the exit without a signal; the wait status, or -1 on time-out.
    int Wait(int timeout_seconds = 20);
    // Everything the child wrote to standard output and error so far.
    std::string Output() const;
    // Resident memory in KiB; 0 when it cannot be read.
    long ResidentKiB() const;

private:
    // Reads what waits on the terminal: a child whose terminal fills up blocks.
    void Drain() const;

    pid_t pid_ = -1;
    int input_ = -1;
    int status_ = -1;
    int terminal_ = -1;
    std::string log_path_;
    mutable std::string terminal_output_;
};

struct CommandResult {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string output;
};
// Runs a shell command to its end, standard error joined to the output.
CommandResult RunCommand(const std::string& command);
std::string ShellQuote(const std::string& text);
