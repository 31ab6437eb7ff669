// The control point against real peers inside the network lab: gmediarender
// and minidlna from Debian, and a small responder serving the fixture
// descriptions, each started by the test on lab1 with its own port while
// the control point runs on lab0.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "DiscoveryRecord.h"
#include "EchoService.h"
#include "LabGuard.h"
#include "OutputCapture.h"
#include "PeerProcess.h"
#include "UpnpAction.h"
#include "UpnpClient.h"
#include "UpnpDeviceListener.h"
#include "UpnpExtensions.h"
#include "UpnpRootDevice.h"
#include "UpnpUtility.h"

using namespace std::chrono_literals;

namespace {

const std::string kLab0 = "198.51.100.1";
const std::string kLab1 = "198.51.100.2";
const std::string kHub = "uuid:c0000000-0000-4000-8000-000000000001";
const std::string kLeaf = "uuid:c0000000-0000-4000-8000-000000000002";
const std::string kBridgedLeaf = "uuid:c0000000-0000-4000-8000-000000000012";
const std::string kRendererType = "urn:schemas-upnp-org:device:MediaRenderer:1";
const std::string kServerType = "urn:schemas-upnp-org:device:MediaServer:1";

std::string Data(const std::string& name) {
    return std::string(HALVORN_TEST_DATA) + "/controlpoint/" + name;
}

std::string Location(const std::string& address, int port, const std::string& path) {
    return "http://" + address + ":" + std::to_string(port) + path;
}

std::vector<std::string> Udns(const std::vector<std::shared_ptr<UpnpClient>>& clients) {
    std::vector<std::string> udns;
    for (const auto& client : clients) udns.push_back(client->Info().UDN);
    return udns;
}

// Records what the control point reports; OnSearch searches everything.
class Recorder : public UpnpDeviceListener {
public:
    void OnDeviceAdded(std::shared_ptr<UpnpClient> device) override {
        std::lock_guard<std::mutex> guard(mutex_);
        added_.push_back(std::move(device));
        changed_.notify_all();
    }
    void OnDeviceRemoved(std::shared_ptr<UpnpClient> device) override {
        std::lock_guard<std::mutex> guard(mutex_);
        removed_.push_back(std::move(device));
        changed_.notify_all();
    }
    void OnSearch() override { UpnpUtility::Instance().Search("ssdp:all"); }

    std::vector<std::string> Added() {
        std::lock_guard<std::mutex> guard(mutex_);
        return Udns(added_);
    }
    std::vector<std::string> Removed() {
        std::lock_guard<std::mutex> guard(mutex_);
        return Udns(removed_);
    }
    bool WaitAdded(const std::vector<std::string>& udns, std::chrono::seconds timeout) {
        return Wait(added_, udns, timeout);
    }
    bool WaitRemoved(const std::vector<std::string>& udns, std::chrono::seconds timeout) {
        return Wait(removed_, udns, timeout);
    }
    // Until `count` removals have been seen in all.
    bool WaitRemovals(std::size_t count, std::chrono::seconds timeout) {
        std::unique_lock<std::mutex> guard(mutex_);
        return changed_.wait_for(guard, timeout, [&] { return removed_.size() >= count; });
    }

private:
    bool Wait(const std::vector<std::shared_ptr<UpnpClient>>& seen,
              const std::vector<std::string>& udns, std::chrono::seconds timeout) {
        std::unique_lock<std::mutex> guard(mutex_);
        return changed_.wait_for(guard, timeout, [&] {
            const auto got = Udns(seen);
            for (const auto& udn : udns)
                if (std::find(got.begin(), got.end(), udn) == got.end()) return false;
            return true;
        });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<UpnpClient>> added_, removed_;
};

// Makes remote services and says with what.
class RemoteFactory : public UpnpServiceFactory {
public:
    std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                               const ServiceInfo& service) override {
        std::lock_guard<std::mutex> guard(mutex);
        devices.push_back(device);
        return std::make_shared<EchoService>(service, false);
    }
    std::mutex mutex;
    std::vector<DeviceInfo> devices;
};

// Any action by name with text arguments, as a controller would send it.
class RemoteAction : public UpnpAction {
public:
    RemoteAction(const ServiceInfo& service, const std::string& name,
                 std::vector<std::pair<std::string, std::string>> arguments)
        : UpnpAction(service, name), arguments_(std::move(arguments)) {
        for (auto& [argument, value] : arguments_) AddInput(argument, &value);
    }
    int ProcessRequest(const std::string&, ActionResults&) override { return 501; }

private:
    std::vector<std::pair<std::string, std::string>> arguments_;
};

class ControlPointLab : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        output = std::make_unique<OutputCapture>();
        ASSERT_EQ(Upnp().Init(0, kLab0), 0);
        running = true;
        Upnp().SetTimings(Timings());
        Upnp().SetListener(recorder);
    }
    void TearDown() override {
        FinishNow();
        UpnpUtility::Destroy();
        peers.clear();
        for (const auto& path : scratch) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        output.reset();
    }
    virtual ControlPointTimings Timings() const { return {}; }

    static UpnpUtility& Upnp() { return UpnpUtility::Instance(); }
    void FinishNow() {
        if (running) Upnp().Finish();
        running = false;
    }
    std::vector<std::shared_ptr<UpnpClient>> Listed(const std::string& udn) {
        std::vector<std::shared_ptr<UpnpClient>> found;
        for (const auto& device : Upnp().Devices())
            if (device->Info().UDN == udn) found.push_back(device);
        return found;
    }

    PeerProcess& Start(PeerCommand command) {
        peers.push_back(std::make_unique<PeerProcess>(std::move(command)));
        return *peers.back();
    }
    // Each caller picks its own port: Debian 12's gmediarender links libupnp
    // 1.8.4, which binds without SO_REUSEADDR, so a port in TIME_WAIT from an
    // earlier test would not be free to it.
    PeerProcess& StartRenderer(const std::string& uuid, int port) {
        PeerProcess& peer = Start({"gmediarender",
                                   {"-f", "Lab renderer", "-u", uuid, "-I", "lab1", "-p",
                                    std::to_string(port), "--gstout-audiosink", "fakesink",
                                    "--gstout-videosink", "fakesink", "--logfile", "stdout"}});
        EXPECT_TRUE(peer.WaitForPort(kLab1, port)) << peer.Output();
        return peer;
    }
    PeerProcess& StartMediaServer(const std::string& uuid, int port) {
        char pattern[] = "/tmp/halvorn-minidlna-XXXXXX";
        const std::filesystem::path root = mkdtemp(pattern);
        scratch.push_back(root);
        for (const char* folder : {"media", "db", "log"})
            std::filesystem::create_directory(root / folder);
        std::ofstream(root / "minidlna.conf")
            << "port=" << port << "\nnetwork_interface=lab1\nfriendly_name=Lab server\n"
            << "uuid=" << uuid << "\nmedia_dir=" << (root / "media").string()
            << "\ndb_dir=" << (root / "db").string() << "\nlog_dir=" << (root / "log").string()
            << "\ninotify=no\n";
        PeerProcess& peer = Start({"minidlnad",
                                   {"-d", "-f", (root / "minidlna.conf").string(), "-P",
                                    (root / "minidlna.pid").string()}});
        EXPECT_TRUE(peer.WaitForPort(kLab1, port)) << peer.Output();
        return peer;
    }
    PeerProcess& StartResponder(const std::string& fixture, int port,
                                const std::string& mode = "normal",
                                const std::string& address = kLab1) {
        PeerProcess& peer =
            Start({"/usr/bin/python3",
                   {RESPONDER_SCRIPT, "--address", address, "--port", std::to_string(port),
                    "--description", Data(fixture), "--mode", mode}});
        EXPECT_TRUE(peer.WaitForOutput("ready")) << peer.Output();
        return peer;
    }

    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    std::unique_ptr<OutputCapture> output;
    std::vector<std::unique_ptr<PeerProcess>> peers;
    bool running = false;
    std::vector<std::filesystem::path> scratch;  // folders removed at the end
};

// --- Real peers from Debian ---

class RealPeer;

struct PeerRow {
    const char* name;
    std::function<PeerProcess&(RealPeer&)> start;
    std::string udn, device_type;
    int port;
    std::string path, friendly_name;
    std::vector<std::string> services;
};
void PrintTo(const PeerRow& row, std::ostream* out) {
    *out << row.name;
}

class RealPeer : public ControlPointLab, public testing::WithParamInterface<PeerRow> {
public:
    // The row's start function reaches the fixture's helpers through this.
    using ControlPointLab::StartMediaServer;
    using ControlPointLab::StartRenderer;
};

TEST_P(RealPeer, IsListedOnceAndRemovedByItsByebye) {
    const PeerRow& row = GetParam();
    PeerProcess& peer = row.start(*this);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    ASSERT_TRUE(recorder->WaitAdded({row.udn}, 20s)) << peer.Output();

    // More answers, to more searches, on top of the peer's advertisements.
    ASSERT_EQ(Upnp().Search(row.device_type), 0);
    ASSERT_EQ(Upnp().Search(row.udn), 0);
    std::this_thread::sleep_for(4s);  // the searches' MX and then some
    // minidlna starts with byebyes before its first alives, and libupnp may
    // hand them to us in any order: the device may go and come back, but every
    // listing after the first follows a removal.
    const auto added = recorder->Added();
    const auto removed = recorder->Removed();
    EXPECT_EQ(added.size(), removed.size() + 1);
    for (const auto& udn : added) EXPECT_EQ(udn, row.udn);
    auto listed = Listed(row.udn);
    ASSERT_EQ(listed.size(), 1u);
    const DeviceInfo& info = listed[0]->Info();
    EXPECT_EQ(info.deviceType, row.device_type);
    EXPECT_EQ(info.friendlyName, row.friendly_name);
    // minidlna answers for each interface that heard the search, and in the
    // lab lab0's copy reaches it too: its location may name either address.
    EXPECT_TRUE(info.location == Location(kLab1, row.port, row.path) ||
                info.location == Location(kLab0, row.port, row.path))
        << info.location;
    EXPECT_FALSE(info.address.empty());
    for (const auto& type : row.services) EXPECT_TRUE(listed[0]->HasService(type)) << type;
    EXPECT_EQ(listed[0]->Services().size(), row.services.size());

    EXPECT_NE(peer.Stop(SIGTERM), -1);
    ASSERT_TRUE(recorder->WaitRemovals(removed.size() + 1, 10s));
    EXPECT_TRUE(Upnp().Devices().empty());
    EXPECT_NE(output->Text().find(" RemoveClient: " + info.location + "\n"), std::string::npos);
    EXPECT_EQ(output->Text().find("Connect Failed :"), std::string::npos);
}

const std::string kRendererUuid = "c0000000-0000-4000-8000-00000000a001";
const std::string kServerUuid = "c0000000-0000-4000-8000-00000000b001";

INSTANTIATE_TEST_SUITE_P(
    Debian, RealPeer,
    testing::Values(PeerRow{"gmediarender",
                            [](RealPeer& lab) -> PeerProcess& {
                                return lab.StartRenderer(kRendererUuid, 49494);
                            },
                            "uuid:" + kRendererUuid,
                            kRendererType,
                            49494,
                            "/description.xml",
                            "Lab renderer",
                            {"urn:schemas-upnp-org:service:AVTransport:1",
                             "urn:schemas-upnp-org:service:ConnectionManager:1",
                             "urn:schemas-upnp-org:service:RenderingControl:1"}},
                    PeerRow{"minidlna",
                            [](RealPeer& lab) -> PeerProcess& {
                                return lab.StartMediaServer(kServerUuid, 8200);
                            },
                            "uuid:" + kServerUuid,
                            kServerType,
                            8200,
                            "/rootDesc.xml",
                            "Lab server",
                            {"urn:schemas-upnp-org:service:ContentDirectory:1",
                             "urn:schemas-upnp-org:service:ConnectionManager:1",
                             "urn:microsoft.com:service:X_MS_MediaReceiverRegistrar:1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Monitor cycles of a second that check every device each time.
class QuickChecks : public ControlPointLab {
protected:
    ControlPointTimings Timings() const override {
        ControlPointTimings timings;
        timings.max_wait = 1;
        timings.refresh_limit = 0;
        timings.connect_timeout = 1;
        return timings;
    }
};

TEST_F(QuickChecks, ADeviceKilledWithoutByebyeIsRemovedByTheConnectionChecks) {
    const std::string uuid = "c0000000-0000-4000-8000-00000000a002";
    PeerProcess& renderer = StartRenderer(uuid, 49496);
    StartResponder("RootAndEmbedded.xml", 8310);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    ASSERT_TRUE(recorder->WaitAdded({"uuid:" + uuid, kHub, kLeaf}, 20s));

    renderer.Kill();
    ASSERT_TRUE(recorder->WaitRemoved({"uuid:" + uuid}, 15s));
    EXPECT_NE(output->Text().find("Connect Failed :" + Location(kLab1, 49496, "/description.xml")),
              std::string::npos);
    // The same checks found the responder's devices alive and kept them.
    EXPECT_EQ(Udns(Upnp().Devices()), (std::vector<std::string>{kHub, kLeaf}));
    EXPECT_TRUE(recorder->Removed() == std::vector<std::string>{"uuid:" + uuid});
}

// Checks that would hang for a long time.
class SlowChecks : public ControlPointLab {
protected:
    ControlPointTimings Timings() const override {
        ControlPointTimings timings;
        timings.max_wait = 1;
        timings.refresh_limit = 0;
        timings.connect_timeout = 30;
        return timings;
    }
};

TEST_F(SlowChecks, FinishDoesNotWaitForAHangingConnectionCheck) {
    PeerProcess& responder = StartResponder("EmbeddedOnly.xml", 8311);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    ASSERT_TRUE(recorder->WaitAdded({kBridgedLeaf}, 20s));

    kill(responder.Pid(), SIGUSR1);
    ASSERT_TRUE(responder.WaitForOutput("stalled"));
    const std::string location = Location(kLab1, 8311, "/description.xml");
    ASSERT_NE(UpnpTryConnect(location.c_str(), 1), 0) << "the port still accepts connections";
    std::this_thread::sleep_for(3s);  // a cycle has started its check by now

    const auto before = std::chrono::steady_clock::now();
    FinishNow();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    // A check cut short proves nothing: no verdict, no removal.
    EXPECT_EQ(output->Text().find("Connect Failed :"), std::string::npos);
    EXPECT_TRUE(recorder->Removed().empty());
}

// --- Descriptions served by the responder ---

struct DescriptionRow {
    const char* name;
    std::string fixture, mode;
    int port;
    std::vector<std::string> listed;
};
void PrintTo(const DescriptionRow& row, std::ostream* out) {
    *out << row.name;
}

class FixtureDescriptions : public ControlPointLab,
                            public testing::WithParamInterface<DescriptionRow> {};

TEST_P(FixtureDescriptions, ListExactlyTheDevicesWithServicesOnce) {
    const DescriptionRow& row = GetParam();
    PeerProcess& responder = StartResponder(row.fixture, row.port, row.mode);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    ASSERT_TRUE(responder.WaitForOutput("GET /description.xml")) << responder.Output();
    ASSERT_TRUE(recorder->WaitAdded(row.listed, 10s));

    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    std::this_thread::sleep_for(4s);
    EXPECT_EQ(recorder->Added(), row.listed);
    EXPECT_EQ(Udns(Upnp().Devices()), row.listed);
}

INSTANTIATE_TEST_SUITE_P(
    Responder, FixtureDescriptions,
    testing::Values(
        DescriptionRow{"RootAndEmbedded", "RootAndEmbedded.xml", "normal", 8320, {kHub, kLeaf}},
        DescriptionRow{"EmbeddedOnly", "EmbeddedOnly.xml", "normal", 8321, {kBridgedLeaf}},
        DescriptionRow{"NoServices", "NoServices.xml", "normal", 8322, {}},
        DescriptionRow{"OverlongName", "RootAndEmbedded.xml", "long-name", 8323, {kLeaf}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HostileRow {
    const char* name;
    std::string mode;
    int port;
    int code;
};
void PrintTo(const HostileRow& row, std::ostream* out) {
    *out << row.name;
}

// Downloads give up after two seconds.
class HostileDescriptions : public ControlPointLab, public testing::WithParamInterface<HostileRow> {
protected:
    ControlPointTimings Timings() const override {
        ControlPointTimings timings;
        timings.download_timeout = 2;
        return timings;
    }
};

TEST_P(HostileDescriptions, AreRefusedAndNothingIsListed) {
    const HostileRow& row = GetParam();
    StartResponder("RootAndEmbedded.xml", row.port, row.mode);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    EXPECT_TRUE(
        output->WaitFor("Download failed: " + Location(kLab1, row.port, "/description.xml") +
                            ", ret=" + std::to_string(row.code) + "\n",
                        15s));
    EXPECT_TRUE(Upnp().Devices().empty());
    EXPECT_TRUE(recorder->Added().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Responder, HostileDescriptions,
    testing::Values(HostileRow{"HugeWithLength", "huge-length", 8330, UPNP_E_OUTOF_BOUNDS},
                    HostileRow{"HugeChunked", "huge-chunked", 8331, UPNP_E_OUTOF_BOUNDS},
                    HostileRow{"HugeUntilClose", "huge-close", 8332, UPNP_E_OUTOF_BOUNDS},
                    HostileRow{"ManySiblings", "wide", 8333, UPNP_E_INVALID_DESC},
                    HostileRow{"DeepNesting", "deep", 8334, UPNP_E_INVALID_DESC},
                    HostileRow{"Truncated", "truncated", 8335, UPNP_E_INVALID_DESC},
                    HostileRow{"NotHttp", "not-http", 8336, UPNP_E_BAD_HTTPMSG},
                    HostileRow{"NotFound", "not-found", 8337, UPNP_E_BAD_RESPONSE},
                    HostileRow{"Slow", "slow", 8338, UPNP_E_TIMEDOUT}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Known devices ---

// The responder's hub and leaf, found before each test.
class KnownDevices : public ControlPointLab {
protected:
    void SetUp() override {
        ControlPointLab::SetUp();
        if (HasFatalFailure()) return;
        responder = &StartResponder("RootAndEmbedded.xml", 8340);
        ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
        ASSERT_TRUE(recorder->WaitAdded({kHub, kLeaf}, 20s));
        // libupnp sends its search more than once: an answer to a later copy,
        // arriving after a test forgot a device, would rightly find it
        // again. Let those answers land first.
        std::this_thread::sleep_for(2s);
    }
    PeerProcess* responder = nullptr;
};

TEST_F(KnownDevices, AByebyeRemovesOnlyTheDeviceItNames) {
    DiscoveryRecord unknown({"uuid:c0000000-0000-4000-8000-0000000000ff", "", ""});
    UpnpUtility::ClientCallback(UPNP_DISCOVERY_ADVERTISEMENT_BYEBYE, unknown.get(), &Upnp());
    EXPECT_EQ(Udns(Upnp().Devices()), (std::vector<std::string>{kHub, kLeaf}));
    EXPECT_TRUE(recorder->Removed().empty());

    DiscoveryRecord leaf({kLeaf, "", ""});
    UpnpUtility::ClientCallback(UPNP_DISCOVERY_ADVERTISEMENT_BYEBYE, leaf.get(), &Upnp());
    EXPECT_EQ(Udns(Upnp().Devices()), std::vector<std::string>{kHub});
    EXPECT_EQ(recorder->Removed(), std::vector<std::string>{kLeaf});
}

TEST_F(KnownDevices, AnAddressChangeForgetsEveryDeviceInOrder) {
    UpnpAddressChangedEvent event{"198.51.100.77", 49152};
    UpnpUtility::ClientCallback(static_cast<Upnp_EventType>(UPNP_EVENT_ADDRESS_CHANGED), &event,
                                &Upnp());
    EXPECT_TRUE(Upnp().Devices().empty());
    EXPECT_EQ(recorder->Removed(), (std::vector<std::string>{kHub, kLeaf}));
    EXPECT_EQ(output->Count(" RemoveClient: " + Location(kLab1, 8340, "/description.xml")), 2u);
}

TEST_F(KnownDevices, ANewListenerHearsOfThemOnlyWithAFactory) {
    auto quiet = std::make_shared<Recorder>();
    Upnp().SetListener(quiet);
    EXPECT_TRUE(quiet->Added().empty());

    auto told = std::make_shared<Recorder>();
    auto factory = std::make_shared<RemoteFactory>();
    Upnp().SetListener(told, factory);
    EXPECT_EQ(told->Added(), (std::vector<std::string>{kHub, kLeaf}));

    // Devices found from now on get the factory's services, made without a
    // device identity and without loading their actions.
    StartResponder("EmbeddedOnly.xml", 8341);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    ASSERT_TRUE(told->WaitAdded({kBridgedLeaf}, 20s));
    auto bridged = Listed(kBridgedLeaf);
    ASSERT_EQ(bridged.size(), 1u);
    ASSERT_EQ(bridged[0]->Services().size(), 1u);
    EXPECT_TRUE(bridged[0]->Services()[0]->Actions().empty());
    std::lock_guard<std::mutex> guard(factory->mutex);
    ASSERT_FALSE(factory->devices.empty());
    for (const auto& device : factory->devices) EXPECT_FALSE(device.Valid());
}

// --- This process's own devices ---

class OwnDevice : public ControlPointLab {
protected:
    void SetUp() override {
        ControlPointLab::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(Upnp().CreateDevice(FrameworkData("TestDevice.xml"),
                                      std::make_shared<EchoFactory>(true)),
                  0);
    }
};

TEST_F(OwnDevice, IsNeverListed) {
    StartResponder("EmbeddedOnly.xml", 8350);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    ASSERT_TRUE(recorder->WaitAdded({kBridgedLeaf}, 20s));
    std::this_thread::sleep_for(4s);  // our own answers have arrived by now
    EXPECT_EQ(Udns(Upnp().Devices()), std::vector<std::string>{kBridgedLeaf});
}

TEST_F(OwnDevice, AnAddressChangeReachesEveryObserverUntilRemoved) {
    std::vector<std::pair<std::string, int>> seen;
    const int id = Upnp().AddAddressObserver(
        [&](const std::string& address, int port) { seen.emplace_back(address, port); });
    UpnpAddressChangedEvent event{"203.0.113.9", 4321};
    const auto deliver = [&] {
        return UpnpUtility::DeviceCallback(
            static_cast<Upnp_EventType>(UPNP_EVENT_ADDRESS_CHANGED), &event, &Upnp());
    };
    EXPECT_EQ(deliver(), 0);
    Upnp().RemoveAddressObserver(id);
    EXPECT_EQ(deliver(), 0);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"203.0.113.9", 4321}}));
}

// --- Remote actions ---

TEST_F(ControlPointLab, SendsActionsToARealRendererAndReportsItsFaults) {
    const std::string uuid = "c0000000-0000-4000-8000-00000000a003";
    StartRenderer(uuid, 49498);
    ASSERT_EQ(Upnp().Search("ssdp:all"), 0);
    ASSERT_TRUE(recorder->WaitAdded({"uuid:" + uuid}, 20s));
    auto renderer = Listed("uuid:" + uuid);
    ASSERT_EQ(renderer.size(), 1u);
    const UpnpService* control = nullptr;
    for (const auto& service : renderer[0]->Services())
        if (service->Info().serviceType == "urn:schemas-upnp-org:service:RenderingControl:1")
            control = service.get();
    ASSERT_NE(control, nullptr);

    RemoteAction volume(control->Info(), "GetVolume", {{"InstanceID", "0"}, {"Channel", "Master"}});
    ASSERT_EQ(Upnp().SendAction(volume, *renderer[0]), 0) << output->Text();
    EXPECT_TRUE(volume.HasResponseValue("CurrentVolume"));
    EXPECT_FALSE(volume.ResponseValue("CurrentVolume").empty());

    RemoteAction unknown(control->Info(), "NoSuchAction", {});
    EXPECT_NE(Upnp().SendAction(unknown, *renderer[0]), 0);
    EXPECT_NE(output->Text().find("UpnpSendAction failed: NoSuchAction, location: " +
                                  Location(kLab1, 49498, "/description.xml") + "\n"),
              std::string::npos);
}

}  // namespace
