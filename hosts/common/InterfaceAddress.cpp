#include "InterfaceAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>

bool InterfaceAddress(const std::string& name, std::string* address, std::string* why) {
    if (if_nametoindex(name.c_str()) == 0) {
        *why = "no interface named \"" + name + "\" (`ip link` lists them)";
        return false;
    }
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        *why = std::string("cannot list the interfaces: ") + std::strerror(errno);
        return false;
    }
    bool found = false;
    for (const ifaddrs* it = list; it && !found; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET || name != it->ifa_name) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
        found = inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr;
        if (found) *address = text;
    }
    freeifaddrs(list);
    if (!found) *why = "interface \"" + name + "\" has no IPv4 address";
    return found;
}

bool Ipv4Address(const std::string& value, std::string* address, std::string* why) {
    in_addr parsed{};
    if (inet_pton(AF_INET, value.c_str(), &parsed) != 1) {
        *why = "ip wants an IPv4 address, not \"" + value + "\"";
        return false;
    }
    *address = value;
    return true;
}

