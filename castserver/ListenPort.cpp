#include "ListenPort.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

std::uint16_t FirstFreeListenPort(std::uint16_t first) {
    for (unsigned port = first; port <= 65535; ++port) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return 0;
        // As the library binds: a port left in TIME_WAIT counts as free.
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        const bool free = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        if (free) return static_cast<std::uint16_t>(port);
    }
    return 0;
}
