// The hardware-address cache over a fixed neighbour table and a hand-driven
// clock.
#include <gtest/gtest.h>

#include "ServerTestSupport.h"
#include "server/HardwareAddressCache.h"

namespace {

const HardwareAddress kFirst{0x02, 0, 0, 0, 0, 1};
const HardwareAddress kSecond{0x02, 0, 0, 0, 0, 2};

class Cache : public testing::Test {
protected:
    std::shared_ptr<platform::StaticNeighbourTable> table =
        std::make_shared<platform::StaticNeighbourTable>();
    std::chrono::steady_clock::time_point now{};
    HardwareAddressCache cache{table, [this] { return now; }};
};

}  // namespace

TEST_F(Cache, AnEntryIsReadAgainOnceItExpires) {
    table->Set(Ipv4("198.51.100.7"), kFirst);
    EXPECT_EQ(cache.Lookup("198.51.100.7"), kFirst);
    // The address passes to another machine.
    table->Set(Ipv4("198.51.100.7"), kSecond);
    now += HardwareAddressCache::kLifetime - std::chrono::seconds(1);
    EXPECT_EQ(cache.Lookup("198.51.100.7"), kFirst);
    EXPECT_EQ(table->lookups(), 1);
    now += std::chrono::seconds(1);
    EXPECT_EQ(cache.Lookup("198.51.100.7"), kSecond);
    EXPECT_EQ(table->lookups(), 2);
}

TEST_F(Cache, UnknownAddressesAreAllZeroAndNotRemembered) {
    EXPECT_TRUE(IsZero(cache.Lookup("198.51.100.8")));
    table->Set(Ipv4("198.51.100.8"), kFirst);
    EXPECT_EQ(cache.Lookup("198.51.100.8"), kFirst);
    for (const char* text : {"", "::1", "not an address"}) EXPECT_TRUE(IsZero(cache.Lookup(text)));
    EXPECT_EQ(table->lookups(), 2);
}

TEST_F(Cache, AnEntryGoneFromTheTableIsForgottenAfterItsLifetime) {
    table->Set(Ipv4("198.51.100.9"), kFirst);
    cache.Lookup("198.51.100.9");
    table->Remove(Ipv4("198.51.100.9"));
    now += HardwareAddressCache::kLifetime;
    EXPECT_TRUE(IsZero(cache.Lookup("198.51.100.9")));
}
