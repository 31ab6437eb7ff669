#include "server/HardwareAddressCache.h"

#include <arpa/inet.h>

#include <algorithm>

HardwareAddressCache::HardwareAddressCache(std::shared_ptr<platform::NeighbourTable> table,
                                           Clock clock)
    : table_(std::move(table)), clock_(std::move(clock)) {}

HardwareAddress HardwareAddressCache::Lookup(const std::string& address) {
    in_addr ip{};
    if (inet_pton(AF_INET, address.c_str(), &ip) != 1) return {};
    std::shared_ptr<platform::NeighbourTable> table;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const auto now = clock_();
        auto it = entries_.find(ip.s_addr);
        if (it != entries_.end()) {
            if (now < it->second.expires) return it->second.hardware;
            entries_.erase(it);
        }
        table = table_;
    }
    // The kernel is asked without the lock: other clients need not wait.
    auto found = table ? table->Lookup(ip) : std::nullopt;
    if (!found || IsZero(*found)) return {};
    std::lock_guard<std::mutex> guard(mutex_);
    const auto now = clock_();
    if (entries_.size() >= kPruneAbove)
        std::erase_if(entries_, [&](const auto& entry) { return entry.second.expires <= now; });
    entries_[ip.s_addr] = {*found, now + kLifetime};
    return *found;
}

void HardwareAddressCache::SetTable(std::shared_ptr<platform::NeighbourTable> table) {
    std::lock_guard<std::mutex> guard(mutex_);
    table_ = std::move(table);
    entries_.clear();
}

void HardwareAddressCache::Clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.clear();
}

bool IsZero(const HardwareAddress& hardware) {
    return std::all_of(hardware.begin(), hardware.end(), [](uint8_t b) { return b == 0; });
}
