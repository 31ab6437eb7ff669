#include "HttpConnect.h"

#include <netdb.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// How often a waiting connect looks at the cancel flag.
constexpr std::chrono::milliseconds kCancelSlice{100};

int ConnectOne(const addrinfo& target, std::chrono::steady_clock::time_point deadline,
               const std::atomic<bool>* cancel) {
    const int fd = socket(target.ai_family, target.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          target.ai_protocol);
    if (fd < 0) return -1;
    if (connect(fd, target.ai_addr, target.ai_addrlen) == 0) return fd;
    if (errno != EINPROGRESS) {
        close(fd);
        return -1;
    }
    pollfd wait{fd, POLLOUT, 0};
    for (;;) {
        if (cancel && cancel->load()) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        const int ready = poll(&wait, 1, static_cast<int>(std::min(left, kCancelSlice).count()));
        if (ready < 0 && errno != EINTR) break;
        if (ready == 1) {
            int error = 0;
            socklen_t size = sizeof(error);
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) return fd;
            break;
        }
    }
    close(fd);
    return -1;
}

}  // namespace

bool ParseHttpUrl(std::string_view url, HttpUrl* out) {
    constexpr std::string_view kScheme = "http://";
    if (url.size() <= kScheme.size() ||
        strncasecmp(url.data(), kScheme.data(), kScheme.size()) != 0) {
        return false;
    }
    url.remove_prefix(kScheme.size());
    const size_t end = url.find_first_of("/?#");
    std::string_view authority = url.substr(0, end);
    std::string_view rest = end == std::string_view::npos ? std::string_view() : url.substr(end);
    rest = rest.substr(0, rest.find('#'));
    std::string_view port = "80";
    if (authority.starts_with('[')) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        out->host = authority.substr(1, close - 1);
        authority.remove_prefix(close + 1);
        if (!authority.empty()) {
            if (authority.front() != ':') return false;
            port = authority.substr(1);
        }
    } else {
        const size_t colon = authority.find(':');
        out->host = authority.substr(0, colon);
        if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    }
    if (out->host.empty() || out->host.find_first_of("@ \t\r\n") != std::string::npos) return false;
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    const int number = std::stoi(std::string(port));
    if (number < 1 || number > 65535) return false;
    // The path goes into a request line as it stands.
    if (rest.find_first_of(" \t\r\n") != std::string_view::npos) return false;
    out->port = std::to_string(number);
    out->path =
        rest.empty() ? "/" : (rest.front() == '?' ? "/" + std::string(rest) : std::string(rest));
    return true;
}

int ConnectHttpHost(const HttpUrl& url, std::chrono::steady_clock::time_point deadline,
                    const std::atomic<bool>* cancel) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(url.host.c_str(), url.port.c_str(), &hints, &found) != 0) return -1;
    // The deadline covers all of the host's addresses together.
    int fd = -1;
    for (const addrinfo* it = found; it != nullptr && fd < 0; it = it->ai_next) {
        fd = ConnectOne(*it, deadline, cancel);
        if (std::chrono::steady_clock::now() >= deadline || (cancel && cancel->load())) break;
    }
    freeaddrinfo(found);
    return fd;
}
