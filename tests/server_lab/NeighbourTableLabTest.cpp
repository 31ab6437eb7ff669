// The kernel's neighbour table as the server reads it, on the lab's veth
// pair. Entries are added with ip(8), inside the lab only.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "LabGuard.h"
#include "NeighbourTable.h"

namespace {

in_addr Ipv4(const char* text) {
    in_addr address{};
    inet_pton(AF_INET, text, &address);
    return address;
}

std::string Text(const std::optional<platform::HardwareAddress>& hardware) {
    if (!hardware) return "none";
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", (*hardware)[0],
                  (*hardware)[1], (*hardware)[2], (*hardware)[3], (*hardware)[4], (*hardware)[5]);
    return text;
}

std::string InterfaceMac(const std::string& name) {
    std::ifstream in("/sys/class/net/" + name + "/address");
    std::string mac;
    in >> mac;
    return mac;
}

int Ip(const std::string& arguments) {
    return std::system(("ip " + arguments).c_str());
}

}  // namespace

TEST(KernelNeighbourTable, OwnAddressesGiveTheirInterfaceAndLoopbackGivesNone) {
    HALVORN_REQUIRE_LAB();
    platform::KernelNeighbourTable table;
    ASSERT_FALSE(InterfaceMac("lab0").empty());
    EXPECT_EQ(Text(table.Lookup(Ipv4("198.51.100.1"))), InterfaceMac("lab0"));
    EXPECT_EQ(Text(table.Lookup(Ipv4("198.51.100.2"))), InterfaceMac("lab1"));
    EXPECT_NE(InterfaceMac("lab0"), InterfaceMac("lab1"));
    EXPECT_EQ(Text(table.Lookup(Ipv4("127.0.0.1"))), "none");
    EXPECT_EQ(Text(table.Lookup(Ipv4("198.51.100.77"))), "none");
}

TEST(KernelNeighbourTable, LearntEntriesAreFoundAndHardwareLessOnesAreNot) {
    HALVORN_REQUIRE_LAB();
    platform::KernelNeighbourTable table;
    const struct {
        const char* state;
        const char* expected;
    } cases[] = {
        {"permanent", "02:00:00:00:00:50"},
        {"stale", "02:00:00:00:00:50"},
        {"reachable", "02:00:00:00:00:50"},
        {"noarp", "none"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Ip(std::string("neigh replace 198.51.100.50 lladdr 02:00:00:00:00:50 dev lab0 "
                                 "nud ") +
                     c.state),
                  0);
        EXPECT_EQ(Text(table.Lookup(Ipv4("198.51.100.50"))), c.expected) << c.state;
    }
    Ip("neigh del 198.51.100.50 dev lab0");
    EXPECT_EQ(Text(table.Lookup(Ipv4("198.51.100.50"))), "none");
}
