#pragma once
// Guards tests that start libupnp or reconfigure interfaces: they must run
// only inside the network lab made by tools/netlab, never on the machine's
// own interfaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

// True when `names` is exactly {lo, lab0, lab1}; otherwise explains in `why`
// (when given).
bool IsLabInterfaceSet(const std::vector<std::string>& names, std::string* why);

// True only when this process's network namespace is the lab. `why` (when
// given) receives the reason when it is not.
bool InNetworkLab(std::string* why);

// Fails (never skips) the current test when not in the lab, so a forgotten
// tools/netlab shows up red instead of silently touching the real network.
#define HALVORN_REQUIRE_LAB()                                                  \
    do {                                                                       \
        std::string halvorn_lab_why_;                                          \
        if (!InNetworkLab(&halvorn_lab_why_)) {                                \
            GTEST_FAIL() << "not inside the network lab (" << halvorn_lab_why_ \
                         << "); run it under tools/netlab";                    \
        }                                                                      \
    } while (false)

// Moves the calling thread into a new network namespace holding only `lo`
// (up) until destroyed, then back. For lab tests that need fixed ports or
// reconfigure interfaces, so tests sharing the lab do not disturb each
// other. Threads started meanwhile stay in the new namespace.
class PrivateNetwork {
public:
    PrivateNetwork();
    ~PrivateNetwork();
    PrivateNetwork(const PrivateNetwork&) = delete;
    PrivateNetwork& operator=(const PrivateNetwork&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

private:
    int previous_ = -1;
    std::string error_;
};
