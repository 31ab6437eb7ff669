#include "ChildProcess.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

ChildProcess::ChildProcess(const std::string& executable, const std::vector<std::string>& arguments,
                         const Setup& setup) {
    int log = -1;
    if (!setup.terminal) {
        char pattern[] = "/tmp/halvorn-child-XXXXXX";
        log = mkstemp(pattern);
        log_path_ = pattern;
    }
    int pipe_ends[2] = {-1, -1};
    if (setup.input_pipe) {
        // A child that died must fail Send, not end the test.
        signal(SIGPIPE, SIG_IGN);
        if (pipe2(pipe_ends, O_CLOEXEC) != 0) pipe_ends[0] = pipe_ends[1] = -1;
    }
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    std::string exe = executable;
    argv.push_back(exe.data());
    for (auto& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_ = setup.terminal ? forkpty(&terminal_, nullptr, nullptr, nullptr) : fork();
    if (pid_ == 0) {
        if (!setup.terminal) {
            const int in = pipe_ends[0] >= 0 ? pipe_ends[0] : open("/dev/null", O_RDONLY);
            dup2(in, 0);
            dup2(log, 1);
            dup2(log, 2);
        }
        if (!setup.directory.empty() && chdir(setup.directory.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : setup.environment) setenv(name.c_str(), value.c_str(), 1);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    if (log >= 0) close(log);
    if (terminal_ >= 0) fcntl(terminal_, F_SETFL, O_NONBLOCK);
    if (pipe_ends[0] >= 0) close(pipe_ends[0]);
    input_ = pipe_ends[1];
}

ChildProcess::~ChildProcess() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (terminal_ >= 0) close(terminal_);
    if (!log_path_.empty()) unlink(log_path_.c_str());
}

void ChildProcess::Drain() const {
    if (terminal_ < 0) return;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal_, buffer, sizeof buffer)) > 0;)
        terminal_output_.append(buffer, static_cast<size_t>(n));
}

std::string ChildProcess::Output() const {
    if (terminal_ >= 0) {
        Drain();
        return terminal_output_;
    }
    std::ifstream in(log_path_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

long ChildProcess::ResidentKiB() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

bool ChildProcess::Running() {
    Drain();
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        status_ = status;
        return false;
    }
    return true;
}

std::vector<std::string> ChildProcess::WaitForOutput(const std::string& pattern, int timeout_seconds,
                                                    size_t offset, size_t* end) {
    const std::regex expression(pattern);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    for (;;) {
        const bool running = Running();
        const std::string output = Output();
        std::smatch match;
        if (offset <= output.size()) {
            const auto from = output.begin() + static_cast<std::ptrdiff_t>(offset);
            if (std::regex_search(from, output.end(), match, expression)) {
                if (end) *end = offset + static_cast<size_t>(match.position(0) + match.length(0));
                return {match.begin(), match.end()};
            }
        }
        if (!running || std::chrono::steady_clock::now() >= deadline) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool ChildProcess::Send(const std::string& line) {
    if (input_ < 0) return false;
    const std::string text = line + "\n";
    return write(input_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

int ChildProcess::Wait(int timeout_seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return status_;
}

int ChildProcess::Stop(int signal, int timeout_seconds) {
    if (!Running()) return status_;
    kill(pid_, signal);
    return Wait(timeout_seconds);
}

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
