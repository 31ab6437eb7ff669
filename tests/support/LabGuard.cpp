#include "LabGuard.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace {

std::string Join(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) {
        if (!out.empty()) out += ", ";
        out += name;
    }
    return out.empty() ? "none" : out;
}

}  // namespace

bool IsLabInterfaceSet(const std::vector<std::string>& names, std::string* why) {
    const std::set<std::string> expected{"lo", "lab0", "lab1"};
    const std::set<std::string> seen(names.begin(), names.end());
    if (seen == expected && seen.size() == names.size()) return true;
    if (why != nullptr) {
        std::vector<std::string> sorted(names);
        std::sort(sorted.begin(), sorted.end());
        *why = "interfaces are {" + Join(sorted) + "}, expected exactly {lo, lab0, lab1}";
    }
    return false;
}

bool InNetworkLab(std::string* why) {
    // if_nameindex asks the kernel over netlink, so it reflects this
    // namespace even where /sys still shows the machine's interfaces.
    struct if_nameindex* list = if_nameindex();
    if (list == nullptr) {
        if (why != nullptr) *why = "cannot list network interfaces";
        return false;
    }
    std::vector<std::string> names;
    for (const struct if_nameindex* it = list; it->if_index != 0; ++it)
        names.emplace_back(it->if_name);
    if_freenameindex(list);
    if (!IsLabInterfaceSet(names, why)) return false;

    // Extra check where permitted: the lab is never the namespace of pid 1.
    struct stat mine {};
    struct stat init {};
    if (stat("/proc/self/ns/net", &mine) == 0 && stat("/proc/1/ns/net", &init) == 0 &&
        mine.st_dev == init.st_dev && mine.st_ino == init.st_ino) {
        if (why != nullptr) *why = "this is the network namespace of pid 1";
        return false;
    }
    return true;
}

PrivateNetwork::PrivateNetwork() {
    previous_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (previous_ < 0) {
        error_ = std::string("cannot open the current network namespace: ") + strerror(errno);
        return;
    }
    if (unshare(CLONE_NEWNET) != 0) {
        error_ = std::string("unshare(CLONE_NEWNET) failed: ") + strerror(errno);
        return;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags |= IFF_UP | IFF_MULTICAST;
        up = ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    if (!up) error_ = std::string("cannot bring lo up: ") + strerror(errno);
    if (fd >= 0) close(fd);
}

PrivateNetwork::~PrivateNetwork() {
    if (previous_ < 0) return;
    // The new namespace goes away with its last socket or process.
    setns(previous_, CLONE_NEWNET);
    close(previous_);
}
