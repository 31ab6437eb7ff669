#include "NeighbourTable.h"

#include <ifaddrs.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace platform {

namespace {

bool AllZero(const HardwareAddress& hardware) {
    return std::all_of(hardware.begin(), hardware.end(), [](uint8_t b) { return b == 0; });
}

// An address label ("eth0:1") starts with the name of its device.
std::string DeviceName(const char* label) {
    std::string name(label);
    return name.substr(0, name.find(':'));
}

// The interface holding `address` on this machine. Sets `own` when the
// address is one of ours, whether or not it has a usable hardware address.
std::optional<HardwareAddress> OwnInterfaceAddress(in_addr address, bool* own) {
    *own = false;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    std::string name;
    for (const ifaddrs* it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET) continue;
        if (reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr.s_addr != address.s_addr)
            continue;
        *own = true;
        if (!(it->ifa_flags & IFF_LOOPBACK)) name = DeviceName(it->ifa_name);
        break;
    }
    std::optional<HardwareAddress> found;
    for (const ifaddrs* it = list; it && !name.empty(); it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET || name != it->ifa_name) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        if (link->sll_halen != 6) break;
        HardwareAddress hardware;
        std::memcpy(hardware.data(), link->sll_addr, hardware.size());
        if (!AllZero(hardware)) found = hardware;
        break;
    }
    freeifaddrs(list);
    return found;
}

class NetlinkSocket {
public:
    NetlinkSocket() : fd_(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {
        if (fd_ < 0) return;
        // A dump answers at once; never hang a request thread on it.
        timeval timeout{1, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    ~NetlinkSocket() {
        if (fd_ >= 0) close(fd_);
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// Whether a neighbour entry in this state carries a hardware address the
// kernel has actually seen.
bool Usable(uint16_t state) {
    return state != NUD_NONE && !(state & (NUD_INCOMPLETE | NUD_FAILED | NUD_NOARP));
}

std::optional<HardwareAddress> NeighbourEntry(in_addr address) {
    NetlinkSocket socket;
    if (socket.fd() < 0) return std::nullopt;
    struct {
        nlmsghdr header;
        ndmsg body;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ndmsg));
    request.header.nlmsg_type = RTM_GETNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.body.ndm_family = AF_INET;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(socket.fd(), &request, request.header.nlmsg_len, 0,
               reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0)
        return std::nullopt;

    std::optional<HardwareAddress> found;
    std::vector<char> buffer(32768);
    for (;;) {
        const ssize_t length = recv(socket.fd(), buffer.data(), buffer.size(), 0);
        if (length <= 0) return found;
        auto remaining = static_cast<unsigned>(length);
        for (auto* message = reinterpret_cast<nlmsghdr*>(buffer.data());
             NLMSG_OK(message, remaining); message = NLMSG_NEXT(message, remaining)) {
            if (message->nlmsg_type == NLMSG_DONE || message->nlmsg_type == NLMSG_ERROR)
                return found;
            if (message->nlmsg_type != RTM_NEWNEIGH || found) continue;
            auto* entry = static_cast<ndmsg*>(NLMSG_DATA(message));
            if (entry->ndm_family != AF_INET || !Usable(entry->ndm_state)) continue;
            // The attributes follow the aligned ndmsg (the kernel's NDA_RTA).
            int attributes_length = static_cast<int>(NLMSG_PAYLOAD(message, sizeof(ndmsg)));
            bool same = false;
            std::optional<HardwareAddress> hardware;
            for (auto* attribute = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(entry) +
                                                             NLMSG_ALIGN(sizeof(ndmsg)));
                 RTA_OK(attribute, attributes_length);
                 attribute = RTA_NEXT(attribute, attributes_length)) {
                if (attribute->rta_type == NDA_DST && RTA_PAYLOAD(attribute) == 4)
                    same = std::memcmp(RTA_DATA(attribute), &address.s_addr, 4) == 0;
                if (attribute->rta_type == NDA_LLADDR && RTA_PAYLOAD(attribute) == 6) {
                    HardwareAddress bytes;
                    std::memcpy(bytes.data(), RTA_DATA(attribute), bytes.size());
                    hardware = bytes;
                }
            }
            if (same && hardware && !AllZero(*hardware)) found = hardware;
        }
    }
}

}  // namespace

std::optional<HardwareAddress> KernelNeighbourTable::Lookup(in_addr address) {
    bool own = false;
    auto local = OwnInterfaceAddress(address, &own);
    if (own) return local;
    return NeighbourEntry(address);
}

std::optional<HardwareAddress> StaticNeighbourTable::Lookup(in_addr address) {
    std::lock_guard<std::mutex> guard(mutex_);
    ++lookups_;
    auto it = entries_.find(address.s_addr);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

void StaticNeighbourTable::Set(in_addr address, const HardwareAddress& hardware) {
    std::lock_guard<std::mutex> guard(mutex_);
    entries_[address.s_addr] = hardware;
}

void StaticNeighbourTable::Remove(in_addr address) {
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.erase(address.s_addr);
}

int StaticNeighbourTable::lookups() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return lookups_;
}

}  // namespace platform
