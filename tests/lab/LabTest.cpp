// Checks that tools/netlab builds the network the libupnp tests rely on, and
// that the guard tells the lab from any other network.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "LabGuard.h"

namespace {

constexpr const char* kSsdpGroup = "239.255.255.250";
constexpr uint16_t kSsdpPort = 1900;

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

in_addr Ipv4(const char* text) {
    in_addr out{};
    EXPECT_EQ(inet_pton(AF_INET, text, &out), 1) << text;
    return out;
}

std::string Text(in_addr address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof(text));
    return text;
}

struct Ipv4Interface {
    std::string address;
    std::string netmask;
    unsigned flags = 0;
};

std::map<std::string, Ipv4Interface> Ipv4Interfaces() {
    std::map<std::string, Ipv4Interface> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) continue;
        out[it->ifa_name] = {Text(reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr),
                             Text(reinterpret_cast<const sockaddr_in*>(it->ifa_netmask)->sin_addr),
                             it->ifa_flags};
    }
    freeifaddrs(list);
    return out;
}

}  // namespace

// --- The guard's decision, independent of where the test runs ---

TEST(LabGuard, AcceptsExactlyTheLabInterfaces) {
    std::string why;
    EXPECT_TRUE(IsLabInterfaceSet({"lab1", "lo", "lab0"}, &why)) << why;
}

TEST(LabGuard, RejectsAnyOtherInterfaceSet) {
    const std::vector<std::vector<std::string>> others = {
        {},
        {"lo"},
        {"lo", "lab0"},
        {"lo", "lab0", "lab1", "eth0"},
        {"lo", "eth0", "ifb0"},
        {"lo", "lab0", "lab0"},
        {"lo", "lab0", "lab1", "lab1"},
    };
    for (const auto& names : others) {
        std::string why;
        EXPECT_FALSE(IsLabInterfaceSet(names, &why)) << testing::PrintToString(names);
        EXPECT_NE(why.find("expected exactly"), std::string::npos) << why;
    }
}

TEST(LabGuard, ToleratesNullReason) {
    EXPECT_FALSE(IsLabInterfaceSet({"eth0"}, nullptr));
    InNetworkLab(nullptr);
}

// --- The lab as tools/netlab builds it ---

TEST(LabNetwork, HasOnlyTheLabInterfacesWithTheirAddresses) {
    HALVORN_REQUIRE_LAB();
    const auto interfaces = Ipv4Interfaces();
    ASSERT_EQ(interfaces.size(), 3u);

    const struct {
        const char* name;
        const char* address;
        const char* netmask;
    } expected[] = {
        {"lo", "127.0.0.1", "255.0.0.0"},
        {"lab0", "198.51.100.1", "255.255.255.0"},
        {"lab1", "198.51.100.2", "255.255.255.0"},
    };
    for (const auto& want : expected) {
        SCOPED_TRACE(want.name);
        const auto found = interfaces.find(want.name);
        ASSERT_NE(found, interfaces.end());
        EXPECT_EQ(found->second.address, want.address);
        EXPECT_EQ(found->second.netmask, want.netmask);
        EXPECT_TRUE(found->second.flags & IFF_UP);
        EXPECT_TRUE(found->second.flags & IFF_MULTICAST) << "libupnp needs multicast on";
    }
}

TEST(LabNetwork, RoutesMulticastThroughLab0) {
    HALVORN_REQUIRE_LAB();
    // /proc/net/route lists this namespace's main table; fields are hex in
    // host byte order.
    std::ifstream routes("/proc/net/route");
    ASSERT_TRUE(routes) << "cannot read /proc/net/route";
    std::string line;
    std::getline(routes, line);  // header
    bool found = false;
    while (std::getline(routes, line)) {
        std::istringstream fields(line);
        std::string device, destination, gateway, flags, refcnt, use, metric, mask;
        fields >> device >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask;
        in_addr dest{static_cast<in_addr_t>(std::stoul(destination, nullptr, 16))};
        in_addr netmask{static_cast<in_addr_t>(std::stoul(mask, nullptr, 16))};
        if (Text(dest) == "224.0.0.0" && Text(netmask) == "240.0.0.0") {
            EXPECT_EQ(device, "lab0");
            found = true;
        }
    }
    EXPECT_TRUE(found) << "no route for 224.0.0.0/4";

    // The kernel picks lab0's address as the source for the SSDP group.
    Fd probe(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ASSERT_GE(probe.get(), 0);
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(kSsdpPort);
    group.sin_addr = Ipv4(kSsdpGroup);
    ASSERT_EQ(connect(probe.get(), reinterpret_cast<sockaddr*>(&group), sizeof(group)), 0)
        << strerror(errno);
    sockaddr_in source{};
    socklen_t size = sizeof(source);
    ASSERT_EQ(getsockname(probe.get(), reinterpret_cast<sockaddr*>(&source), &size), 0);
    EXPECT_EQ(Text(source.sin_addr), "198.51.100.1");
}

// A datagram to the SSDP group reaches a member socket in the same
// namespace: looped back over lab0 and over lo (libupnp may be bound to
// either), and across the pair without loopback, as from a peer on lab1
// that multicasts through lab1.
struct MulticastRow {
    const char* name;
    const char* sender;
    const char* member;
    bool loop;
};

void PrintTo(const MulticastRow& row, std::ostream* out) {
    *out << row.name;
}

class LabMulticast : public testing::TestWithParam<MulticastRow> {};

TEST_P(LabMulticast, SsdpGroupDatagramArrives) {
    HALVORN_REQUIRE_LAB();
    const MulticastRow& row = GetParam();
    const in_addr interface = Ipv4(row.sender);

    Fd receiver(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ASSERT_GE(receiver.get(), 0);
    const int on = 1;
    // libupnp may hold the port too when tests share the lab.
    ASSERT_EQ(setsockopt(receiver.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)), 0);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(kSsdpPort);
    bound.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(receiver.get(), reinterpret_cast<sockaddr*>(&bound), sizeof(bound)), 0)
        << strerror(errno);
    ip_mreq membership{};
    membership.imr_multiaddr = Ipv4(kSsdpGroup);
    membership.imr_interface = Ipv4(row.member);
    ASSERT_EQ(
        setsockopt(receiver.get(), IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof(membership)),
        0)
        << strerror(errno);

    Fd sender(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ASSERT_GE(sender.get(), 0);
    ASSERT_EQ(setsockopt(sender.get(), IPPROTO_IP, IP_MULTICAST_IF, &interface, sizeof(interface)),
              0);
    const unsigned char loop = row.loop ? 1 : 0;
    ASSERT_EQ(setsockopt(sender.get(), IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof(loop)), 0);
    sockaddr_in group = bound;
    group.sin_addr = Ipv4(kSsdpGroup);
    const std::string payload = "halvorn-lab-probe " + std::to_string(getpid()) + " " + row.name;
    ASSERT_EQ(sendto(sender.get(), payload.data(), payload.size(), 0,
                     reinterpret_cast<sockaddr*>(&group), sizeof(group)),
              static_cast<ssize_t>(payload.size()))
        << strerror(errno);

    // Other members of the group (libupnp) may send too: read until ours
    // arrives, bounded so a lost datagram fails instead of hanging.
    for (int attempt = 0; attempt < 100; ++attempt) {
        pollfd wait{receiver.get(), POLLIN, 0};
        ASSERT_EQ(poll(&wait, 1, 10000), 1) << "the datagram did not arrive";
        char buffer[2048];
        sockaddr_in from{};
        socklen_t size = sizeof(from);
        const ssize_t got = recvfrom(receiver.get(), buffer, sizeof(buffer), 0,
                                     reinterpret_cast<sockaddr*>(&from), &size);
        ASSERT_GE(got, 0) << strerror(errno);
        if (std::string(buffer, static_cast<size_t>(got)) == payload) {
            EXPECT_EQ(Text(from.sin_addr), row.sender);
            return;
        }
    }
    FAIL() << "only foreign datagrams arrived";
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, LabMulticast,
    testing::Values(MulticastRow{"Lab0", "198.51.100.1", "198.51.100.1", true},
                    MulticastRow{"Loopback", "127.0.0.1", "127.0.0.1", true},
                    MulticastRow{"Lab1ToLab0", "198.51.100.2", "198.51.100.1", false},
                    MulticastRow{"Lab0ToLab1", "198.51.100.1", "198.51.100.2", false}),
    [](const auto& info) { return std::string(info.param.name); });
