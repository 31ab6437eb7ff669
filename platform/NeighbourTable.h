#pragma once
#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

namespace platform {

using HardwareAddress = std::array<uint8_t, 6>;

// Maps a peer's IPv4 address to the hardware address it reaches us from.
class NeighbourTable {
public:
    virtual ~NeighbourTable() = default;
    // nullopt when the address has no known hardware address.
    virtual std::optional<HardwareAddress> Lookup(in_addr address) = 0;
};

// The kernel's view: an address of this machine maps to the hardware address
// of the interface holding it (a peer on the same host talks over loopback,
// which the neighbour table never lists); other addresses are read from the
// neighbour table (netlink RTM_GETNEIGH). Loopback interfaces and
// unresolved, failed or hardware-less entries give nullopt.
class KernelNeighbourTable : public NeighbourTable {
public:
    std::optional<HardwareAddress> Lookup(in_addr address) override;
};

// A fixed table; tests use it.
class StaticNeighbourTable : public NeighbourTable {
public:
    std::optional<HardwareAddress> Lookup(in_addr address) override;
    void Set(in_addr address, const HardwareAddress& hardware);
    void Remove(in_addr address);
    int lookups() const;

private:
    mutable std::mutex mutex_;
    std::map<uint32_t, HardwareAddress> entries_;
    int lookups_ = 0;
};

}  // namespace platform
