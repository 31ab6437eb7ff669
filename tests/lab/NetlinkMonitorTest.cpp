// NetlinkMonitor against real kernel notifications. Each test moves into a
// network namespace of its own, nested in the lab, with a throwaway veth
// pair mon0/mon1, so changing addresses cannot disturb other lab tests.
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LabGuard.h"
#include "NetlinkMonitor.h"

namespace {

using std::chrono::seconds;

// Generous: kernel notifications normally arrive within milliseconds.
constexpr seconds kWait{30};

class Recorder {
public:
    void Address(const std::string& value) { Add(&addresses_, value); }
    void Mac(const std::string& value) { Add(&macs_, value); }

    // The addresses (or MACs) once there are at least `count`, or what there
    // is when the wait runs out.
    std::vector<std::string> WaitAddresses(size_t count) { return Wait(&addresses_, count); }
    std::vector<std::string> WaitMacs(size_t count) { return Wait(&macs_, count); }
    std::vector<std::string> Addresses() { return Wait(&addresses_, 0); }
    std::vector<std::string> Macs() { return Wait(&macs_, 0); }

private:
    void Add(std::vector<std::string>* list, const std::string& value) {
        {
            std::lock_guard lock(mutex_);
            list->push_back(value);
        }
        changed_.notify_all();
    }
    std::vector<std::string> Wait(std::vector<std::string>* list, size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kWait, [&] { return list->size() >= count; });
        return *list;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> addresses_;
    std::vector<std::string> macs_;
};

class NetlinkMonitorTest : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        network_ = std::make_unique<PrivateNetwork>();
        ASSERT_TRUE(network_->ok()) << network_->error();
        Run("ip link add mon0 type veth peer name mon1");
        Run("ip addr add 198.51.100.1/24 dev mon0");
        Run("ip addr add 198.51.100.2/24 dev mon1");
        Run("ip link set mon0 address 02:00:00:00:00:aa");
        Run("ip link set mon1 address 02:00:00:00:00:bb");
        Run("ip link set mon0 up");
        Run("ip link set mon1 up");
    }

    void TearDown() override {
        monitor_.reset();
        network_.reset();  // the veth pair goes with its namespace
    }

    static void Run(const std::string& command) {
        ASSERT_EQ(std::system((command + " 2>&1").c_str()), 0) << command;
    }

    platform::NetlinkMonitor& Monitor() {
        monitor_ = std::make_unique<platform::NetlinkMonitor>(
            [this](const std::string& value) { recorder_.Address(value); },
            [this](const std::string& value) { recorder_.Mac(value); });
        return *monitor_;
    }

    using Strings = std::vector<std::string>;

    std::unique_ptr<PrivateNetwork> network_;
    Recorder recorder_;
    std::unique_ptr<platform::NetlinkMonitor> monitor_;
};

TEST_F(NetlinkMonitorTest, StartFailsWithoutAnInterfaceForTheAddress) {
    auto& monitor = Monitor();
    EXPECT_FALSE(monitor.Start("198.51.100.77"));
    EXPECT_FALSE(monitor.Start("not an address"));
    EXPECT_FALSE(monitor.Start(""));
    EXPECT_TRUE(monitor.Start("198.51.100.1"));
}

// Changes are made in order and the kernel reports them in that order, so
// once the awaited callback arrives, the changes before it were ignored.
TEST_F(NetlinkMonitorTest, ReportsAddressChangesOfTheWatchedInterfaceOnly) {
    ASSERT_TRUE(Monitor().Start("198.51.100.1"));

    Run("ip addr add 198.51.100.22/24 dev mon1");  // other interface
    Run("ip addr add 198.51.100.11/24 dev mon0");  // second address
    EXPECT_EQ(recorder_.WaitAddresses(1), Strings{"198.51.100.11"});

    // The current address announced again is no change; then a replacement.
    Run("ip addr del 198.51.100.11/24 dev mon0");
    Run("ip addr add 198.51.100.11/24 dev mon0");
    Run("ip addr flush dev mon0");
    Run("ip addr add 203.0.113.5/24 dev mon0");
    EXPECT_EQ(recorder_.WaitAddresses(2), (Strings{"198.51.100.11", "203.0.113.5"}));
    EXPECT_TRUE(recorder_.Macs().empty());
}

TEST_F(NetlinkMonitorTest, ReportsMacChangesOfTheWatchedInterfaceOnly) {
    ASSERT_TRUE(Monitor().Start("198.51.100.1"));

    Run("ip link set mon1 address 02:00:00:00:00:09");  // other interface
    Run("ip link set mon0 down");                       // link events, same MAC
    Run("ip link set mon0 up");
    Run("ip link set mon0 address 02:00:00:00:00:01");
    EXPECT_EQ(recorder_.WaitMacs(1), Strings{"02:00:00:00:00:01"});

    Run("ip link set mon0 address 02:AB:CD:EF:00:02");
    EXPECT_EQ(recorder_.WaitMacs(2), (Strings{"02:00:00:00:00:01", "02:ab:cd:ef:00:02"}));
    EXPECT_TRUE(recorder_.Addresses().empty());
}

// While a callback blocks, a flood of notifications overflows the socket's
// queue and the MAC change after it is dropped by the kernel; the monitor
// must notice the overflow and compare with the current state.
TEST_F(NetlinkMonitorTest, ReportsAChangeLostToAQueueOverflow) {
    std::mutex mutex;
    std::condition_variable released_cv;
    bool released = false;
    monitor_ = std::make_unique<platform::NetlinkMonitor>(
        [&](const std::string& value) {
            recorder_.Address(value);
            std::unique_lock lock(mutex);
            released_cv.wait(lock, [&] { return released; });
        },
        [this](const std::string& value) { recorder_.Mac(value); });
    ASSERT_TRUE(monitor_->Start("198.51.100.1"));

    Run("ip addr add 198.51.100.11/24 dev mon0");
    ASSERT_EQ(recorder_.WaitAddresses(1), Strings{"198.51.100.11"});  // now blocked
    const std::string batch = testing::TempDir() + "netlink-flood-" + std::to_string(getpid());
    {
        std::ofstream out(batch);
        for (int i = 0; i < 4000; ++i)
            out << "addr add 198.18." << i / 250 << '.' << i % 250 + 1 << "/32 dev mon1\n";
    }
    Run("ip -batch " + batch);
    std::remove(batch.c_str());
    Run("ip link set mon0 address 02:00:00:00:00:01");
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    released_cv.notify_all();
    EXPECT_EQ(recorder_.WaitMacs(1), Strings{"02:00:00:00:00:01"});
    EXPECT_EQ(recorder_.Addresses(), Strings{"198.51.100.11"});
}

TEST_F(NetlinkMonitorTest, StartAgainWatchesTheNewInterface) {
    auto& monitor = Monitor();
    ASSERT_TRUE(monitor.Start("198.51.100.1"));
    monitor.Stop();
    ASSERT_TRUE(monitor.Start("198.51.100.2"));  // mon1

    Run("ip addr add 198.51.100.11/24 dev mon0");
    Run("ip link set mon0 address 02:00:00:00:00:01");
    Run("ip addr add 198.51.100.12/24 dev mon1");
    Run("ip link set mon1 address 02:00:00:00:00:02");
    EXPECT_EQ(recorder_.WaitAddresses(1), Strings{"198.51.100.12"});
    EXPECT_EQ(recorder_.WaitMacs(1), Strings{"02:00:00:00:00:02"});
}

TEST_F(NetlinkMonitorTest, StopFromInsideACallbackEndsDelivery) {
    std::unique_ptr<platform::NetlinkMonitor> monitor;
    monitor = std::make_unique<platform::NetlinkMonitor>(
        [&](const std::string& value) {
            recorder_.Address(value);
            monitor->Stop();
        },
        nullptr);
    ASSERT_TRUE(monitor->Start("198.51.100.1"));

    Run("ip addr add 198.51.100.11/24 dev mon0");
    ASSERT_EQ(recorder_.WaitAddresses(1), Strings{"198.51.100.11"});
    Run("ip addr add 198.51.100.12/24 dev mon0");
    Run("ip link set mon0 address 02:00:00:00:00:01");  // no MAC callback given
    monitor.reset();                                    // joins the monitor thread
    EXPECT_EQ(recorder_.Addresses(), Strings{"198.51.100.11"});
}

}  // namespace
