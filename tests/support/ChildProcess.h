#pragma once
// Runs a program as a child the way an operator or another program would:
// its output goes to a private log file the test reads, and it may be given
// a pipe on standard input for a line protocol.
#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
public:
    struct Setup {
        std::vector<std::pair<std::string, std::string>> environment;
        std::string directory;    // empty: this process's
        bool input_pipe = false;  // otherwise standard input is /dev/null
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

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int status_ = -1;
    std::string log_path_;
};
