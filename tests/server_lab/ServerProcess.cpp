#include "ServerProcess.h"

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

ChildProcess::ChildProcess(const std::string& exe, const std::vector<std::string>& arguments,
                           bool pty) {
    std::vector<std::string> copies{exe};
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (pty) {
        pid_ = forkpty(&pty_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        fcntl(pty_, F_SETFL, O_NONBLOCK);
        return;
    }
    char pattern[] = "/tmp/dlna-server-lab-XXXXXX";
    int log = mkstemp(pattern);
    log_path_ = pattern;
    pid_ = fork();
    if (pid_ == 0) {
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(log);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (pty_ >= 0) close(pty_);
    if (!log_path_.empty()) unlink(log_path_.c_str());
}

void ChildProcess::Drain() {
    if (pty_ < 0) return;
    char buffer[4096];
    for (ssize_t n; (n = read(pty_, buffer, sizeof buffer)) > 0;) pty_output_.append(buffer, n);
}

std::string ChildProcess::Output() {
    if (pty_ >= 0) {
        Drain();
        return pty_output_;
    }
    std::ifstream in(log_path_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ChildProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

bool ChildProcess::WaitForOutput(const std::string& text, int timeout_seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Output().find(text) != std::string::npos) return true;
        if (!Running()) return Output().find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int ChildProcess::Stop(int signal, int timeout_seconds) {
    if (pid_ <= 0) return -1;
    if (signal) kill(pid_, signal);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        Drain();
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

ServerProcess::ServerProcess(const std::string& stage, const std::vector<std::string>& arguments)
    : ChildProcess(stage + "/bin/dlna-server", arguments) {}

bool ServerProcess::WaitUntilShared(int timeout_seconds) {
    if (!WaitForOutput("dlna-server: shared ", timeout_seconds)) return false;
    const std::regex pattern(R"(at http://([0-9.]+):(\d+)/description\.xml)");
    std::smatch match;
    const std::string output = Output();
    if (!std::regex_search(output, match, pattern)) return false;
    address_ = match[1].str();
    port_ = std::stoi(match[2].str());
    return true;
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
