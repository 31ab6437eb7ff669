#include "PeerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

bool ConnectsOnce(const std::string& host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

}  // namespace

bool WaitForTcpPort(const std::string& host, int port, int timeout_seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds);
    while (Clock::now() < deadline) {
        if (ConnectsOnce(host, port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

PeerProcess::PeerProcess(PeerCommand command) : command_(std::move(command)) {
    char pattern[] = "/tmp/halvorn-peer-XXXXXX";
    const int log = mkstemp(pattern);
    log_path_ = pattern;
    // Everything the child needs is built before fork: only async-signal-safe
    // calls after it.
    std::vector<std::string> copies{command_.program};
    copies.insert(copies.end(), command_.arguments.begin(), command_.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** it = environ; *it; ++it) environment.emplace_back(*it);
    for (const auto& [name, value] : command_.environment)
        environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const pid_t parent = getpid();

    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(125);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        if (!command_.directory.empty() && chdir(command_.directory.c_str()) != 0) _exit(126);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (pid_ > 0) setpgid(pid_, pid_);  // either side may win the race
    close(log);
}

PeerProcess::~PeerProcess() {
    Kill();
    unlink(log_path_.c_str());
}

bool PeerProcess::Reap(bool wait) {
    if (pid_ <= 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, wait ? 0 : WNOHANG) != pid_) return false;
    status_ = status;
    pid_ = -1;
    return true;
}

bool PeerProcess::Running() {
    return !Reap(false);
}

bool PeerProcess::WaitForPort(const std::string& host, int port, int timeout_seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds);
    while (Clock::now() < deadline) {
        if (!Running()) return false;
        if (ConnectsOnce(host, port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool PeerProcess::WaitForOutput(const std::string& text, int timeout_seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds);
    while (Clock::now() < deadline) {
        if (Output().find(text) != std::string::npos) return true;
        if (!Running()) return Output().find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int PeerProcess::Stop(int signal, int timeout_seconds) {
    if (pid_ <= 0) return status_;
    kill(pid_, signal);
    const auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds);
    while (Clock::now() < deadline) {
        if (Reap(false)) return status_;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

void PeerProcess::Kill() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    Reap(true);
}

std::string PeerProcess::Output() const {
    std::ifstream in(log_path_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
