#include "NetlinkMonitor.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <thread>
#include <vector>

namespace platform {

namespace {

std::string FormatMac(const unsigned char* bytes, size_t length) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        if (i != 0) out += ':';
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 0x0f];
    }
    return out;
}

std::string FormatIpv4(const void* address) {
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, address, text, sizeof(text)) == nullptr) return {};
    return text;
}

// An address label ("eth0:1") starts with the name of its device.
std::string DeviceName(const char* label) {
    std::string name(label);
    return name.substr(0, name.find(':'));
}

struct InterfaceState {
    unsigned index = 0;
    std::vector<std::string> addresses;  // IPv4, in the order the kernel lists them
    std::string mac;
};

// Finds the interface holding `address` (when `index` is 0) or the interface
// `index`, with its IPv4 addresses and hardware address.
bool QueryInterface(const in_addr* address, unsigned index, InterfaceState* state) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    std::string name;
    if (index == 0) {
        for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
            if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) continue;
            const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
            if (in->sin_addr.s_addr == address->s_addr) {
                name = DeviceName(it->ifa_name);
                index = if_nametoindex(name.c_str());
                break;
            }
        }
    } else {
        char buffer[IF_NAMESIZE] = {};
        if (if_indextoname(index, buffer) != nullptr) name = buffer;
    }
    if (index == 0 || name.empty()) {
        freeifaddrs(list);
        return false;
    }
    state->index = index;
    state->addresses.clear();
    state->mac.clear();
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || DeviceName(it->ifa_name) != name) continue;
        if (it->ifa_addr->sa_family == AF_INET) {
            state->addresses.push_back(
                FormatIpv4(&reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr));
        } else if (it->ifa_addr->sa_family == AF_PACKET) {
            const auto* ll = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
            state->mac = FormatMac(ll->sll_addr, ll->sll_halen);
        }
    }
    freeifaddrs(list);
    return true;
}

// The monitor whose thread this is, to spot Stop() from inside a callback.
thread_local const void* running_monitor = nullptr;

}  // namespace

struct NetlinkMonitor::Impl {
    AddressChanged on_address;
    MacChanged on_mac;

    int netlink_fd = -1;
    int wake_fd = -1;
    std::thread thread;
    std::atomic<bool> stop_requested{false};

    // Owned by the monitor thread while it runs.
    unsigned index = 0;
    std::string address;
    std::string mac;

    void CloseFds() {
        if (netlink_fd >= 0) close(netlink_fd);
        if (wake_fd >= 0) close(wake_fd);
        netlink_fd = wake_fd = -1;
    }

    void Run();
    bool Drain();
    void Dispatch(const nlmsghdr* message);
    void OnAddress(const nlmsghdr* message);
    void OnLink(const nlmsghdr* message);
    void Resync();
    void ReportAddress(const std::string& now);
    void ReportMac(const std::string& now);
};

NetlinkMonitor::NetlinkMonitor(AddressChanged on_address, MacChanged on_mac)
    : impl_(std::make_unique<Impl>()) {
    impl_->on_address = std::move(on_address);
    impl_->on_mac = std::move(on_mac);
}

NetlinkMonitor::~NetlinkMonitor() {
    Stop();
}

bool NetlinkMonitor::Start(const std::string& address) {
    if (running_monitor == impl_.get()) return false;  // from a callback: cannot restart itself
    Stop();
    in_addr wanted{};
    if (inet_pton(AF_INET, address.c_str(), &wanted) != 1) return false;

    Impl& impl = *impl_;
    impl.netlink_fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (impl.netlink_fd < 0) return false;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    // Subscribe before reading the current state so no change slips between.
    if (bind(impl.netlink_fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
        impl.CloseFds();
        return false;
    }
    impl.wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    InterfaceState state;
    if (impl.wake_fd < 0 || !QueryInterface(&wanted, 0, &state)) {
        impl.CloseFds();
        return false;
    }
    impl.index = state.index;
    impl.address = FormatIpv4(&wanted);
    impl.mac = state.mac;
    impl.stop_requested = false;
    impl.thread = std::thread([&impl] { impl.Run(); });
    return true;
}

void NetlinkMonitor::Stop() {
    Impl& impl = *impl_;
    impl.stop_requested = true;
    if (impl.wake_fd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(impl.wake_fd, &one, sizeof(one));
    }
    // Called from a callback: the thread ends once the callback returns; the
    // next Start, Stop or the destructor joins it. The thread object is not
    // touched here, another thread may be joining it.
    if (running_monitor == &impl) return;
    if (impl.thread.joinable()) impl.thread.join();
    impl.CloseFds();
}

void NetlinkMonitor::Impl::Run() {
    running_monitor = this;
    pollfd fds[2] = {{netlink_fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    while (!stop_requested) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if (fds[0].revents & POLLNVAL) return;
        // An overflow shows as POLLERR; reading then reports ENOBUFS.
        if ((fds[0].revents & (POLLIN | POLLERR)) && !Drain()) return;
    }
}

// Reads every queued message; false on an error the socket cannot recover from.
bool NetlinkMonitor::Impl::Drain() {
    alignas(nlmsghdr) char buffer[32768];
    while (!stop_requested) {
        sockaddr_nl sender{};
        iovec io{buffer, sizeof(buffer)};
        msghdr header{};
        header.msg_name = &sender;
        header.msg_namelen = sizeof(sender);
        header.msg_iov = &io;
        header.msg_iovlen = 1;
        const ssize_t received = recvmsg(netlink_fd, &header, 0);
        if (received < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
            if (errno == EINTR) continue;
            if (errno == ENOBUFS) {  // the kernel dropped notifications
                Resync();
                continue;
            }
            return false;
        }
        if (sender.nl_pid != 0 || (header.msg_flags & MSG_TRUNC)) continue;  // not the kernel's
        auto length = static_cast<unsigned>(received);
        for (auto* message = reinterpret_cast<const nlmsghdr*>(buffer);
             NLMSG_OK(message, length) && !stop_requested; message = NLMSG_NEXT(message, length)) {
            Dispatch(message);
        }
    }
    return true;
}

void NetlinkMonitor::Impl::Dispatch(const nlmsghdr* message) {
    if (message->nlmsg_type == RTM_NEWADDR)
        OnAddress(message);
    else if (message->nlmsg_type == RTM_NEWLINK)
        OnLink(message);
}

void NetlinkMonitor::Impl::OnAddress(const nlmsghdr* message) {
    if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg))) return;
    const auto* info = static_cast<const ifaddrmsg*>(NLMSG_DATA(message));
    if (info->ifa_family != AF_INET || info->ifa_index != index) return;
    // IFA_LOCAL is the interface's own address; IFA_ADDRESS may be the peer
    // on point-to-point links.
    std::string local;
    std::string other;
    auto length = static_cast<unsigned>(IFA_PAYLOAD(message));
    for (auto* attribute = IFA_RTA(info); RTA_OK(attribute, length);
         attribute = RTA_NEXT(attribute, length)) {
        if (RTA_PAYLOAD(attribute) != sizeof(in_addr)) continue;
        if (attribute->rta_type == IFA_LOCAL)
            local = FormatIpv4(RTA_DATA(attribute));
        else if (attribute->rta_type == IFA_ADDRESS)
            other = FormatIpv4(RTA_DATA(attribute));
    }
    ReportAddress(local.empty() ? other : local);
}

void NetlinkMonitor::Impl::OnLink(const nlmsghdr* message) {
    if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg))) return;
    const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(message));
    if (info->ifi_index <= 0 || static_cast<unsigned>(info->ifi_index) != index) return;
    auto length = static_cast<unsigned>(IFLA_PAYLOAD(message));
    for (auto* attribute = IFLA_RTA(info); RTA_OK(attribute, length);
         attribute = RTA_NEXT(attribute, length)) {
        if (attribute->rta_type == IFLA_ADDRESS) {
            ReportMac(FormatMac(static_cast<const unsigned char*>(RTA_DATA(attribute)),
                                RTA_PAYLOAD(attribute)));
            return;
        }
    }
}

// After an overflow the missed events are gone: compare with the kernel's
// current view instead.
void NetlinkMonitor::Impl::Resync() {
    InterfaceState state;
    if (!QueryInterface(nullptr, index, &state)) return;
    bool still_there = false;
    for (const auto& held : state.addresses) still_there = still_there || held == address;
    if (!still_there && !state.addresses.empty()) ReportAddress(state.addresses.front());
    ReportMac(state.mac);
}

void NetlinkMonitor::Impl::ReportAddress(const std::string& now) {
    if (now.empty() || now == address) return;
    address = now;
    if (on_address) on_address(now);
}

void NetlinkMonitor::Impl::ReportMac(const std::string& now) {
    if (now.empty() || now == mac) return;
    mac = now;
    if (on_mac) on_mac(now);
}

}  // namespace platform
