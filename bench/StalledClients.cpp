#include "StalledClients.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEstablished = 1;  // /proc/net/tcp's state numbers

struct ServerSide {
    int state = 0;
    uint64_t unsent = 0;
};

// The server's side of each connection to `server_port`, by the client's
// port.
std::map<int, ServerSide> ServerSides(int server_port) {
    std::map<int, ServerSide> sides;
    std::ifstream in("/proc/net/tcp");
    std::string line;
    std::getline(in, line);  // the column names
    const auto port = [](const std::string& address) {
        const auto colon = address.find(':');
        return colon == std::string::npos ? -1 : std::stoi(address.substr(colon + 1), nullptr, 16);
    };
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues;
        if (!(fields >> slot >> local >> remote >> state >> queues)) continue;
        if (port(local) != server_port) continue;
        ServerSide side;
        side.state = std::stoi(state, nullptr, 16);
        side.unsent = std::stoull(queues.substr(0, queues.find(':')), nullptr, 16);
        // A port may also show an earlier connection's remains.
        auto [at, added] = sides.emplace(port(remote), side);
        if (!added && side.state == kEstablished) at->second = side;
    }
    return sides;
}

int LocalPort(int fd) {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    return getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 ? ntohs(local.sin_port)
                                                                           : 0;
}

bool SendAll(int fd, const std::string& text) {
    for (size_t sent = 0; sent < text.size();) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int ConnectWithin(const std::string& host, int port, int timeout_ms, int receive_buffer) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (receive_buffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &where.sin_addr);
    int error = 0;
    socklen_t size = sizeof error;
    if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        pollfd writable{fd, POLLOUT, 0};
        if (errno != EINPROGRESS || poll(&writable, 1, timeout_ms) != 1 ||
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            close(fd);
            return -1;
        }
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

StalledClients::StalledClients(const std::string& host, int port, const std::string& path,
                               int non_readers, const std::string& half_path, int half_requests)
    : port_(port) {
    const std::string host_header = "Host: " + host + ":" + std::to_string(port) + "\r\n";
    for (int i = 0; i < non_readers + half_requests; ++i) {
        const bool reader = i < non_readers;
        const int fd = ConnectWithin(host, port, 2000, reader ? 4096 : 0);
        if (fd < 0) continue;
        const std::string request = reader
                                        ? "GET " + path + " HTTP/1.1\r\n" + host_header + "\r\n"
                                        : "GET " + half_path + " HTTP/1.1\r\n" + host_header;
        if (!SendAll(fd, request)) {
            close(fd);
            continue;
        }
        connections_.push_back({fd, LocalPort(fd), Clock::now()});
    }
}

StalledClients::~StalledClients() { Close(); }

void StalledClients::Close() {
    for (auto& connection : connections_)
        if (connection.fd >= 0) close(connection.fd);
    connections_.clear();
}

int StalledClients::HeldByServer(uint64_t* unsent) const {
    const auto sides = ServerSides(port_);
    int held = 0;
    uint64_t queued = 0;
    for (const auto& connection : connections_) {
        const auto side = sides.find(connection.port);
        if (side == sides.end() || side->second.state != kEstablished) continue;
        ++held;
        queued += side->second.unsent;
    }
    if (unsent) *unsent = queued;
    return held;
}

std::vector<double> StalledClients::WaitUntilClosed(double limit) {
    if (connections_.empty()) return {};
    const auto first = connections_.front().opened;
    for (;;) {
        const auto now = Clock::now();
        const auto sides = ServerSides(port_);
        bool all = true;
        for (auto& connection : connections_) {
            if (connection.closed_after >= 0) continue;
            const auto side = sides.find(connection.port);
            if (side == sides.end() || side->second.state != kEstablished)
                connection.closed_after =
                    std::chrono::duration<double>(now - connection.opened).count();
            else
                all = false;
        }
        if (all || std::chrono::duration<double>(now - first).count() > limit) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::vector<double> seconds;
    for (const auto& connection : connections_) seconds.push_back(connection.closed_after);
    return seconds;
}

StalledClients::Ending StalledClients::Drain(int timeout_seconds) {
    Ending ending;
    std::vector<char> buffer(1 << 16);
    for (const auto& connection : connections_) {
        if (connection.closed_after < 0) {
            ++ending.open;
            continue;
        }
        timeval timeout{timeout_seconds, 0};
        setsockopt(connection.fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        for (;;) {
            const ssize_t n = recv(connection.fd, buffer.data(), buffer.size(), 0);
            if (n > 0) {
                ending.drained += static_cast<uint64_t>(n);
            } else {
                if (n == 0)
                    ++ending.eof;
                else if (errno == ECONNRESET)
                    ++ending.reset;
                else
                    ++ending.open;
                break;
            }
        }
    }
    return ending;
}
