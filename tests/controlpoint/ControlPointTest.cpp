// The control point's rules that need no network: filters, the limits on
// remote descriptions, and how a description becomes remote devices.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "DeviceFilter.h"
#include "DiscoveryRecord.h"
#include "RemoteDescription.h"
#include "UpnpAction.h"
#include "UpnpClient.h"
#include "UpnpServiceFactory.h"
#include "UpnpUtility.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

std::string Data(const std::string& name) {
    return std::string(HALVORN_TEST_DATA) + "/" + name;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kUdn = "uuid:c0000000-0000-4000-8000-000000000001";
const std::string kType = "urn:schemas-upnp-org:device:MediaRenderer:1";
const std::string kLocation = "http://198.51.100.2:49494/description.xml";

using Message = DiscoveryMessage;
using Discovery = DiscoveryRecord;

std::shared_ptr<UpnpClient> Client(const std::string& udn = kUdn,
                                   const std::string& location = kLocation, int max_age = 100) {
    DeviceInfo info;
    info.deviceType = kType;
    info.UDN = udn;
    info.location = location;
    return std::make_shared<UpnpClient>(info, 1, std::vector<std::shared_ptr<UpnpService>>{},
                                        max_age);
}

using Make = std::function<std::shared_ptr<DeviceFilter>()>;

Make Type(std::string text) {
    return [=] { return std::make_shared<DeviceTypeFilter>(text); };
}
Make Udn(std::string text) {
    return [=] { return std::make_shared<DeviceUDNFilter>(text); };
}
Make Location(std::string text) {
    return [=] { return std::make_shared<DeviceLocationFilter>(text); };
}
Make Or(Make a, Make b) {
    return [=] { return std::make_shared<OrFilter>(a(), b()); };
}
Make Not(Make a) {
    return [=] { return std::make_shared<NotFilter>(a()); };
}

// Clients outlive the rows that name them.
const std::shared_ptr<UpnpClient> kKnown = Client();
const std::shared_ptr<UpnpClient> kTwin = Client();
Make ForClient(const std::shared_ptr<UpnpClient>& client) {
    return [=] { return std::make_shared<ClientFilter>(client); };
}

struct MatchRow {
    const char* name;
    Make filter;
    Message message;
    bool matches;
};
void PrintTo(const MatchRow& row, std::ostream* out) {
    *out << row.name;
}

class FilterMatch : public testing::TestWithParam<MatchRow> {};

TEST_P(FilterMatch, ComparesExactly) {
    const MatchRow& row = GetParam();
    Discovery discovery(row.message);
    EXPECT_EQ(row.filter()->Match(discovery.get()), row.matches);
}

const Message kFromKnown{kUdn, kType, kLocation};

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterMatch,
    testing::Values(
        MatchRow{"TypeEqual", Type(kType), kFromKnown, true},
        MatchRow{"TypeOtherCase", Type("urn:schemas-upnp-org:device:mediarenderer:1"), kFromKnown,
                 false},
        MatchRow{"TypeAbsent", Type(kType), {kUdn, "", kLocation}, false},
        MatchRow{"UdnEqual", Udn(kUdn), kFromKnown, true},
        MatchRow{"UdnOther", Udn("uuid:other"), kFromKnown, false},
        MatchRow{"LocationEqual", Location(kLocation), kFromKnown, true},
        MatchRow{"LocationOther", Location(kLocation + "?"), kFromKnown, false},
        MatchRow{"OrFirst", Or(Udn(kUdn), Type("x")), kFromKnown, true},
        MatchRow{"OrSecond", Or(Type("x"), Udn(kUdn)), kFromKnown, true},
        MatchRow{"OrNeither", Or(Type("x"), Udn("y")), kFromKnown, false},
        MatchRow{"NotInnerMatches", Not(Udn(kUdn)), kFromKnown, false},
        MatchRow{"NotInnerFails", Not(Udn("uuid:other")), kFromKnown, true},
        MatchRow{"ClientSameDeviceAndPlace", ForClient(kKnown), kFromKnown, true},
        MatchRow{"ClientOtherPlace",
                 ForClient(kKnown),
                 {kUdn, kType, "http://198.51.100.2:1/d.xml"},
                 false},
        MatchRow{"ClientOtherDevice", ForClient(kKnown), {"uuid:other", kType, kLocation}, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct SameRow {
    const char* name;
    Make a, b;
    bool same;
};
void PrintTo(const SameRow& row, std::ostream* out) {
    *out << row.name;
}

class FilterIsSame : public testing::TestWithParam<SameRow> {};

TEST_P(FilterIsSame, NeedsTheSameTypeAndParameters) {
    const SameRow& row = GetParam();
    EXPECT_EQ(row.a()->IsSame(*row.b()), row.same);
    EXPECT_EQ(row.b()->IsSame(*row.a()), row.same);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterIsSame,
    testing::Values(SameRow{"TypeSameText", Type("a"), Type("a"), true},
                    SameRow{"TypeOtherText", Type("a"), Type("b"), false},
                    SameRow{"SameTextOtherKind", Type("a"), Udn("a"), false},
                    SameRow{"UdnSameText", Udn("a"), Udn("a"), true},
                    SameRow{"LocationSameText", Location("a"), Location("a"), true},
                    SameRow{"LocationOtherKind", Location("a"), Not(Location("a")), false},
                    SameRow{"OrSameHalves", Or(Type("a"), Udn("b")), Or(Type("a"), Udn("b")), true},
                    SameRow{"OrSwappedHalves", Or(Type("a"), Type("b")), Or(Type("b"), Type("a")),
                            false},
                    SameRow{"NotSameInner", Not(Udn("a")), Not(Udn("a")), true},
                    SameRow{"NotOtherInner", Not(Udn("a")), Not(Udn("b")), false},
                    SameRow{"ClientSameObject", ForClient(kKnown), ForClient(kKnown), true},
                    SameRow{"ClientEqualObject", ForClient(kKnown), ForClient(kTwin), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClientFilterRefresh, AMatchRenewsTheLifetimeFromTheMessage) {
    auto client = Client(kUdn, kLocation, 100);
    ClientFilter filter(client);
    const int64_t before = client->ExpiryTime();

    Discovery elsewhere({kUdn, kType, "http://198.51.100.2:1/d.xml", 5});
    EXPECT_FALSE(filter.Match(elsewhere.get()));
    EXPECT_EQ(client->MaxAge(), 100);
    EXPECT_EQ(client->ExpiryTime(), before);

    Discovery again({kUdn, kType, kLocation, 1800});
    const int64_t now = NowSeconds();
    EXPECT_TRUE(filter.Match(again.get()));
    EXPECT_EQ(client->MaxAge(), 1800);
    EXPECT_GE(client->ExpiryTime(), now + 1800);
    EXPECT_LE(client->ExpiryTime(), NowSeconds() + 1800);
}

TEST(ClientFilterRefresh, AGoneClientMatchesNothing) {
    auto client = Client();
    ClientFilter filter(client);
    client.reset();
    Discovery discovery(kFromKnown);
    EXPECT_FALSE(filter.Match(discovery.get()));
}

// --- Limits on remote descriptions ---

struct LimitRow {
    const char* name;
    std::string text;
    bool within;
};
void PrintTo(const LimitRow& row, std::ostream* out) {
    *out << row.name;
}

class DescriptionLimitsTest : public testing::TestWithParam<LimitRow> {};

TEST_P(DescriptionLimitsTest, CountsNodesAndDepthBeforeParsing) {
    DescriptionLimits limits;
    limits.max_nodes = 6;
    limits.max_depth = 3;
    EXPECT_EQ(WithinDescriptionLimits(GetParam().text, limits), GetParam().within);
}

INSTANTIATE_TEST_SUITE_P(
    Markup, DescriptionLimitsTest,
    testing::Values(
        LimitRow{"ThreeDeep", "<?xml version=\"1.0\"?><a><b><c>t</c></b></a>", true},
        LimitRow{"FourDeep", "<a><b><c><d/></c></b></a>", false},
        LimitRow{"SiblingsDoNotDeepen", "<a><b/><b/><b/></a><a/>", true},
        LimitRow{"SevenElements", "<a><b/><b/><b/><b/><b/><b/></a>", false},
        LimitRow{"AttributesCount", "<a x='1' y=\"2\" z='3'><b w='4' v='5'/></a>", false},
        LimitRow{"QuotedMarkupIsText", "<a x='<b><c><d>' y=\"/>\"><b/></a>", true},
        LimitRow{"CommentsAndCdataAreText", "<a><!-- <b><c><d> --><![CDATA[<b><c><d>]]></a>", true},
        LimitRow{"UnclosedTag", "<a><b", false}, LimitRow{"UnclosedComment", "<a><!-- ", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DescriptionLimitsTest, RealDescriptionsFit) {
    for (const std::string& path :
         {Data("controlpoint/RootAndEmbedded.xml"), Data("framework/TestDevice.xml"),
          std::string(HALVORN_SOURCE_DIR) + "/data/web/TvDevice.xml"}) {
        const std::string text = FileText(path);
        ASSERT_FALSE(text.empty()) << path;
        EXPECT_TRUE(WithinDescriptionLimits(text, DescriptionLimits{})) << path;
    }
}

// --- From a description to remote devices ---

class CountingService : public UpnpService {
public:
    using UpnpService::UpnpService;
    bool LoadActions() override {
        ++loads;
        return true;
    }
    static inline int loads = 0;
};

class RecordingFactory : public UpnpServiceFactory {
public:
    std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                               const ServiceInfo& service) override {
        devices.push_back(device);
        if (service.serviceId == refused) return nullptr;
        return std::make_shared<CountingService>(service);
    }
    std::vector<DeviceInfo> devices;
    std::string refused;
};

struct ReadRow {
    const char* name;
    const char* fixture;
    DescriptionLimits limits;
    std::vector<std::string> udns;  // in list order
};
void PrintTo(const ReadRow& row, std::ostream* out) {
    *out << row.name;
}

class ReadRemoteDevicesTest : public testing::TestWithParam<ReadRow> {};

TEST_P(ReadRemoteDevicesTest, ListsDevicesWithServicesRootFirst) {
    const ReadRow& row = GetParam();
    UniqueXmlDocument doc(ixmlLoadDocument(Data(row.fixture).c_str()));
    ASSERT_TRUE(doc);
    auto factory = std::make_shared<RecordingFactory>();
    CountingService::loads = 0;
    const DescriptionSource source{"http://198.51.100.2:8300/description.xml", "198.51.100.2", 1900,
                                   60};
    auto clients = ReadRemoteDevices(doc.get(), source, 7, factory, row.limits);

    std::vector<std::string> udns;
    for (const auto& client : clients) {
        udns.push_back(client->Info().UDN);
        EXPECT_EQ(client->Info().location, source.location);
        EXPECT_EQ(client->Info().address, "198.51.100.2");
        EXPECT_EQ(client->Info().port, 1900);
        EXPECT_EQ(client->Handle(), 7);
        EXPECT_EQ(client->MaxAge(), 60);
        EXPECT_FALSE(client->Services().empty());
    }
    EXPECT_EQ(udns, row.udns);
    for (const auto& device : factory->devices) EXPECT_FALSE(device.Valid());
    EXPECT_EQ(CountingService::loads, 0);
}

DescriptionLimits OneDevice() {
    DescriptionLimits limits;
    limits.max_devices = 1;
    return limits;
}

DescriptionLimits ShortFields() {
    DescriptionLimits limits;
    limits.max_field_length = 20;  // shorter than any UDN of the fixtures
    return limits;
}

const std::string kHub = "uuid:c0000000-0000-4000-8000-000000000001";
const std::string kLeaf = "uuid:c0000000-0000-4000-8000-000000000002";

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ReadRemoteDevicesTest,
    testing::Values(
        ReadRow{"RootAndEmbedded", "controlpoint/RootAndEmbedded.xml", {}, {kHub, kLeaf}},
        ReadRow{"EmbeddedOnly",
                "controlpoint/EmbeddedOnly.xml",
                {},
                {"uuid:c0000000-0000-4000-8000-000000000012"}},
        ReadRow{"NoUsableServices", "controlpoint/NoServices.xml", {}, {}},
        ReadRow{"DevicesBeyondTheLimit", "controlpoint/RootAndEmbedded.xml", OneDevice(), {kHub}},
        ReadRow{"FieldsBeyondTheLimit", "controlpoint/RootAndEmbedded.xml", ShortFields(), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadRemoteDevicesTest, ResolvesServiceUrlsAgainstTheLocation) {
    UniqueXmlDocument doc(ixmlLoadDocument(Data("controlpoint/RootAndEmbedded.xml").c_str()));
    ASSERT_TRUE(doc);
    auto factory = std::make_shared<RecordingFactory>();
    factory->refused = "urn:halvorn-test:serviceId:Echo";
    auto clients = ReadRemoteDevices(doc.get(), {"http://198.51.100.2:8300/dev/desc.xml", "", 0, 0},
                                     1, factory, {});
    // The root's one service was refused: it stays listed, without services.
    ASSERT_EQ(clients.size(), 2u);
    EXPECT_TRUE(clients[0]->Services().empty());
    ASSERT_EQ(clients[1]->Services().size(), 1u);
    const ServiceInfo& leaf = clients[1]->Services()[0]->Info();
    EXPECT_EQ(leaf.controlURL, "http://198.51.100.2:8300/dev/leaf/control");
    EXPECT_EQ(leaf.eventSubURL, "http://198.51.100.2:8300/dev/leaf/event");
    EXPECT_EQ(leaf.SCPDURL, "http://198.51.100.2:8300/dev/leaf/EchoService.xml");
    EXPECT_TRUE(clients[1]->HasService("urn:halvorn-test:service:Echo:1"));
    EXPECT_FALSE(clients[1]->HasService("urn:halvorn-test:service:echo:1"));
}

// --- Remote actions ---

class NoRequestAction : public UpnpAction {
public:
    explicit NoRequestAction(const ServiceInfo& info) : UpnpAction(info, "Play") {}
    int ProcessRequest(const std::string&, ActionResults&) override { return 0; }
    XmlDocumentPtr CreateRequest() override { return {}; }
};

TEST(SendAction, WithoutARequestDocumentSendsNothing) {
    NoRequestAction action(ServiceInfo{});
    CaptureStderr();
    const int rc = UpnpUtility::Instance().SendAction(action, *Client());
    const std::string log = GetCapturedStderr();
    UpnpUtility::Destroy();
    EXPECT_EQ(rc, -911);
    EXPECT_NE(log.find("[ERROR] "), std::string::npos) << log;
    EXPECT_NE(log.find(" GetRequestDoc failed: Play, location: " + kLocation + "\n"),
              std::string::npos)
        << log;
}

}  // namespace
