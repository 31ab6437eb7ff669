#include "UpnpExtensions.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <uuid.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

namespace {

struct HostPort {
    std::string host;
    std::string port;
};

// Splits "http://host[:port][/...]" (host may be "[v6]"); false when malformed.
bool ParseHttpUrl(std::string_view url, HostPort* out) {
    constexpr std::string_view kScheme = "http://";
    if (url.size() <= kScheme.size() ||
        strncasecmp(url.data(), kScheme.data(), kScheme.size()) != 0) {
        return false;
    }
    url.remove_prefix(kScheme.size());
    std::string_view authority = url.substr(0, url.find_first_of("/?#"));
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
    if (out->host.empty() || out->host.find_first_of("@ \t") != std::string::npos) return false;
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    const int number = std::stoi(std::string(port));
    if (number < 1 || number > 65535) return false;
    out->port = std::to_string(number);
    return true;
}

// One non-blocking connect, waiting at most until `deadline`.
bool ConnectOne(const addrinfo& target, std::chrono::steady_clock::time_point deadline) {
    const int fd = socket(target.ai_family, target.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          target.ai_protocol);
    if (fd < 0) return false;
    bool connected = false;
    if (connect(fd, target.ai_addr, target.ai_addrlen) == 0) {
        connected = true;
    } else if (errno == EINPROGRESS) {
        pollfd wait{fd, POLLOUT, 0};
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const int ready = poll(&wait, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 1) {
                int error = 0;
                socklen_t size = sizeof(error);
                connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            }
            break;
        }
    }
    close(fd);
    return connected;
}

}  // namespace

int UpnpTryConnect(const char* url, int timeout) {
    if (url == nullptr) return UPNP_E_INVALID_PARAM;
    HostPort target;
    if (!ParseHttpUrl(url, &target)) return UPNP_E_INVALID_URL;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(target.host.c_str(), target.port.c_str(), &hints, &found) != 0) {
        return UPNP_E_SOCKET_CONNECT;
    }
    // The time-out covers all of the host's addresses together.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(timeout > 0 ? timeout : 0);
    bool connected = false;
    for (const addrinfo* it = found; it != nullptr && !connected; it = it->ai_next) {
        connected = ConnectOne(*it, deadline);
        if (std::chrono::steady_clock::now() >= deadline) break;
    }
    freeaddrinfo(found);
    return connected ? UPNP_E_SUCCESS : UPNP_E_SOCKET_CONNECT;
}

void UpnpUuidUnpack(char* buffer) {
    if (buffer == nullptr) return;
    uuid_t id;
    uuid_generate(id);
    uuid_unparse_lower(id, buffer);
}

int UpnpSendAction(UpnpClient_Handle handle, const char* action_url, const char* service_type,
                   const char* dev_udn, IXML_Document* action, IXML_Document** response,
                   int /*flags*/) {
    // Qualified six-argument call: libupnp's C function, never this overload.
    return ::UpnpSendAction(handle, action_url, service_type, dev_udn, action, response);
}
