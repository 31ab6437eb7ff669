#include "NetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <cstring>

namespace platform {

std::string InterfaceHoldingAddress(const std::string& address) {
    in_addr v4{};
    in6_addr v6{};
    const bool is_v4 = inet_pton(AF_INET, address.c_str(), &v4) == 1;
    const bool is_v6 = !is_v4 && inet_pton(AF_INET6, address.c_str(), &v6) == 1;
    if (!is_v4 && !is_v6) return {};

    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::string name;
    for (ifaddrs* entry = list; entry && name.empty(); entry = entry->ifa_next) {
        const sockaddr* socket = entry->ifa_addr;
        if (!socket || !entry->ifa_name) continue;
        if (is_v4 && socket->sa_family == AF_INET &&
            reinterpret_cast<const sockaddr_in*>(socket)->sin_addr.s_addr == v4.s_addr)
            name = entry->ifa_name;
        if (is_v6 && socket->sa_family == AF_INET6 &&
            std::memcmp(&reinterpret_cast<const sockaddr_in6*>(socket)->sin6_addr, &v6,
                        sizeof v6) == 0)
            name = entry->ifa_name;
    }
    freeifaddrs(list);
    return name;
}

}  // namespace platform
