#include <gtest/gtest.h>

#include "HostValidation.h"

TEST(HostValidation, OnlyOurAddressesOurPortsAndLocalhostPass) {
    const OwnHosts own{{"198.51.100.1", "fe80::1"}, {49152}};
    for (const char* host : {"198.51.100.1", "198.51.100.1:49152", "[fe80::1]", "[fe80::1]:49152",
                             "FE80::1", "localhost", "LocalHost:49152", "127.0.0.1:49152",
                             "[::1]:49152"})
        EXPECT_TRUE(IsOwnHost(host, own)) << host;
    for (const char* host :
         {"", ":49152", "rebound.example", "rebound.example:49152", "198.51.100.2",
          "198.51.100.1:80", "198.51.100.1:", "198.51.100.1:49152x", "198.51.100.1:+49152",
          "198.51.100.10", "[fe80::1", "[fe80::1]49152", "localhost.rebound.example",
          "198.51.100.1.rebound.example:49152"})
        EXPECT_FALSE(IsOwnHost(host, own)) << host;
}
