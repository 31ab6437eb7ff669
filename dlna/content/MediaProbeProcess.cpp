#include "content/MediaProbeProcess.h"

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

MediaProbeProcess::MediaProbeProcess(std::string program)
    : program_(program.empty() ? Program() : std::move(program)) {}

MediaProbeProcess::~MediaProbeProcess() { Stop(); }

std::string MediaProbeProcess::Program() {
    if (const char* path = std::getenv("DLNA_MEDIA_PROBE"); path && *path) return path;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&MediaProbeProcess::Program), &info) && info.dli_fname) {
        std::error_code ec;
        const auto library = std::filesystem::canonical(info.dli_fname, ec);
        if (!ec) return (library.parent_path() / DLNA_PROBE_FROM_LIBRARY).lexically_normal().string();
    }
    return "dlna-media-probe";
}

bool MediaProbeProcess::Start(std::string* error) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        *error = std::string("socketpair: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 0);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 1);
    char* argv[] = {program_.data(), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    if (spawned != 0) {
        ::close(pair[0]);
        *error = "cannot start " + program_ + ": " + std::strerror(spawned);
        return false;
    }
    pid_ = pid;
    socket_ = pair[0];
    pending_.clear();
    return true;
}

void MediaProbeProcess::Stop() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
    if (pid_ > 0) Reap(false);
}

std::string MediaProbeProcess::Reap(bool kill) {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
    if (pid_ <= 0) return "the reader is gone";
    if (kill) ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (WIFSIGNALED(status))
        return "the reader stopped on signal " + std::to_string(WTERMSIG(status));
    return "the reader exited with status " + std::to_string(WEXITSTATUS(status));
}

bool MediaProbeProcess::Receive(std::string* data, size_t length, int timeout_ms,
                                std::string* error) {
    char buffer[65536];
    while (pending_.size() < length) {
        pollfd ready{socket_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, timeout_ms);
        if (polled < 0 && errno == EINTR) continue;
        if (polled == 0) {
            *error = "no answer within " + std::to_string(timeout_ms / 1000) + " s; " + Reap(true);
            return false;
        }
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            *error = Reap(false);
            return false;
        }
        pending_.append(buffer, static_cast<size_t>(got));
    }
    data->assign(pending_, 0, length);
    pending_.erase(0, length);
    return true;
}

bool MediaProbeProcess::Ask(std::string_view verb, std::string_view mime, std::string_view path,
                            std::string* answer, int timeout_ms) {
    std::string error;
    if (socket_ < 0 && !Start(&error)) {
        *answer = error;
        return false;
    }
    std::string request(verb);
    request.append(1, ' ').append(std::to_string(mime.size())).append(1, ' ');
    request.append(std::to_string(path.size())).append(1, '\n').append(mime).append(path);
    for (size_t sent = 0; sent < request.size();) {
        const ssize_t n =
            ::send(socket_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *answer = Reap(false);
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    // The header line, then as many bytes as it announces.
    std::string header;
    while (pending_.find('\n') == std::string::npos) {
        std::string more;
        if (!Receive(&more, pending_.size() + 1, timeout_ms, &error)) {
            *answer = error;
            return false;
        }
        pending_.insert(0, more);
    }
    const size_t end = pending_.find('\n');
    header = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    const size_t space = header.find(' ');
    const std::string status = header.substr(0, space);
    char* stop = nullptr;
    const unsigned long long length =
        space == std::string::npos ? 0 : std::strtoull(header.c_str() + space + 1, &stop, 10);
    if ((status != "ok" && status != "error") || !stop || *stop || length > (64u << 20)) {
        *answer = "the reader answered \"" + header.substr(0, 40) + "\"; " + Reap(true);
        return false;
    }
    if (!Receive(answer, static_cast<size_t>(length), timeout_ms, &error)) {
        *answer = error;
        return false;
    }
    return status == "ok";
}
