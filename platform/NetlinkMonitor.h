#pragma once
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Watches the kernel's address and link notifications for the interface that
// carries a given IPv4 address, and reports when that interface's IPv4
// address or hardware address changes. Callbacks run on the monitor's thread.
class NetlinkMonitor {
public:
    using AddressChanged = std::function<void(const std::string& new_address)>;
    using MacChanged = std::function<void(const std::string& new_mac)>;  // "aa:bb:cc:dd:ee:ff"

    NetlinkMonitor(AddressChanged on_address, MacChanged on_mac);
    ~NetlinkMonitor();  // stops and joins

    // Starts watching the interface that now holds `address`. False when the
    // address is on no interface or the netlink socket cannot be opened.
    bool Start(const std::string& address);
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
