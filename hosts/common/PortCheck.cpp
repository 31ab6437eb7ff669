#include "PortCheck.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

bool PortInUse(const std::string& ip, int port) {
    if (port == 0) return false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (ip.empty() || inet_pton(AF_INET, ip.c_str(), &address.sin_addr) != 1)
        address.sin_addr.s_addr = htonl(INADDR_ANY);
    const bool in_use =
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno == EADDRINUSE;
    close(fd);
    return in_use;
}
