#pragma once
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "NeighbourTable.h"

using platform::HardwareAddress;

// The hardware address behind a client's IPv4 address, from the kernel's
// neighbour table, remembered for a while. Entries expire: an address handed
// to another machine must not keep the first one's identity.
class HardwareAddressCache {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kLifetime{60};
    // Beyond this many entries the expired ones are dropped.
    static constexpr size_t kPruneAbove = 1024;

    explicit HardwareAddressCache(std::shared_ptr<platform::NeighbourTable> table,
                                  Clock clock = std::chrono::steady_clock::now);

    // All zero for an address that is not dotted IPv4 text or not found;
    // failures are not remembered.
    HardwareAddress Lookup(const std::string& address);

    // Tests put a double in place of the kernel.
    void SetTable(std::shared_ptr<platform::NeighbourTable> table);
    void Clear();

private:
    struct Entry {
        HardwareAddress hardware;
        std::chrono::steady_clock::time_point expires;
    };

    std::mutex mutex_;
    std::shared_ptr<platform::NeighbourTable> table_;
    Clock clock_;
    std::map<uint32_t, Entry> entries_;
};

bool IsZero(const HardwareAddress& hardware);
