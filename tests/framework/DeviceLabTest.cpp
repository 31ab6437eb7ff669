// The framework's device over the real protocol: libupnp serving the test
// device inside the network lab, a plain socket client on the other side.
#include <gtest/gtest.h>

#include <ifaddrs.h>
#include <netinet/in.h>
#include <arpa/inet.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <regex>
#include <sstream>

#include "EchoService.h"
#include "HttpClient.h"
#include "LabGuard.h"
#include "Logger.h"
#include "UpnpExtensions.h"
#include "UpnpRootDevice.h"
#include "UpnpUtility.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const std::string kEchoType = "urn:halvorn-test:service:Echo:1";

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> AllTexts(const std::string& xml, const std::string& tag) {
    std::vector<std::string> out;
    std::regex pattern("<" + tag + ">([^<]*)</" + tag + ">");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), pattern);
         it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1].str());
    return out;
}

class DeviceLab : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string why;
        if (!InNetworkLab(&why)) return;
        CaptureStdout();
        init_rc = UpnpUtility::Instance().Init(0, "");
        if (init_rc == 0)
            create_rc = UpnpUtility::Instance().CreateDevice(
                FrameworkData("TestDevice.xml"), std::make_shared<EchoFactory>(false));
        init_log = GetCapturedStdout();
        host = UpnpUtility::ServerAddress();
        port = UpnpUtility::ServerPort();
    }
    static void TearDownTestSuite() {
        if (init_rc == 0) UpnpUtility::Instance().Finish();
        UpnpUtility::Destroy();
    }
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        ASSERT_EQ(init_rc, 0) << init_log;
        ASSERT_EQ(create_rc, 0) << init_log;
    }

    WireResponse Get(const std::string& path,
                     const std::vector<std::pair<std::string, std::string>>& headers = {}) {
        return HttpRequest(host, port, "GET", path, headers);
    }
    WireResponse Soap(const std::string& control, const std::string& action,
                      const std::vector<std::pair<std::string, std::string>>& arguments) {
        return SoapCall(host, port, control, kEchoType, action, arguments);
    }

    static inline int init_rc = -1, create_rc = -1;
    static inline std::string init_log, host;
    static inline int port = 0;
};

}  // namespace

TEST_F(DeviceLab, StartsOnTheLabInterfaceAndSaysWhere) {
    EXPECT_NE(host, "127.0.0.1");
    EXPECT_EQ(host.rfind("198.51.100.", 0), 0u) << host;
    EXPECT_NE(init_log.find("Initialize address: " + host + ":" + std::to_string(port)),
              std::string::npos)
        << init_log;
    EXPECT_TRUE(std::regex_search(init_log, std::regex(R"(SerialNumber: \d+)"))) << init_log;
}

TEST_F(DeviceLab, ServesTheRewrittenDescription) {
    WireResponse response = Get("/description.xml");
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(response.Header("Content-Type").rfind("text/xml", 0), 0u)
        << response.Header("Content-Type");
    const std::string& body = response.body;

    auto udns = AllTexts(body, "UDN");
    ASSERT_EQ(udns.size(), 2u) << body;
    EXPECT_NE(udns[0], udns[1]);
    for (const auto& udn : udns) {
        EXPECT_TRUE(std::regex_match(udn, std::regex("uuid:[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}")))
            << udn;
        EXPECT_EQ(udn.find("1111"), std::string::npos);
    }
    // Only serial numbers that held text are rewritten.
    auto serials = AllTexts(body, "serialNumber");
    ASSERT_EQ(serials.size(), 2u) << body;
    EXPECT_TRUE(std::regex_match(serials[0], std::regex(R"(\d+)"))) << serials[0];
    EXPECT_NE(serials[0], "0000");
    EXPECT_EQ(serials[1], "");

    char hostname[256] = {};
    gethostname(hostname, sizeof hostname - 1);
    EXPECT_EQ(XmlElementText(body, "modelDescription"),
              std::string("Test device on ") + hostname + ":" + host);
    EXPECT_EQ(UpnpUtility::Instance().RootDevice()->Info().UDN, udns[0]);
}

TEST_F(DeviceLab, ServesEachScpdByItsFlatName) {
    for (const char* name : {"EchoService.xml", "OtherService.xml"}) {
        WireResponse response = Get(std::string("/") + name);
        ASSERT_EQ(response.status, 200) << name;
        EXPECT_EQ(response.body, FileText(FrameworkData(name))) << name;
        EXPECT_EQ(response.Header("Content-Type").rfind("text/xml", 0), 0u);
    }
    EXPECT_EQ(Get("/missing.xml").status, 404);
}

TEST_F(DeviceLab, ServicesLoadTheirActionsFromTheServedScpd) {
    auto root = UpnpUtility::Instance().RootDevice();
    ASSERT_EQ(root->Services().size(), 1u);
    EXPECT_EQ(root->Services()[0]->Actions().size(), 3u);
    EXPECT_EQ(root->Services()[0]->Info().SCPDURL,
              "http://" + host + ":" + std::to_string(port) + "/EchoService.xml");
    ASSERT_EQ(root->Devices().size(), 1u);
    EXPECT_EQ(root->Devices()[0]->Services()[0]->Actions().size(), 3u);
}

TEST_F(DeviceLab, AnswersAnActionWithItsOutArguments) {
    WireResponse response = Soap("/control/Echo", "Echo", {{"Text", "over the wire"}, {"Number", "-8"}});
    ASSERT_EQ(response.status, 200) << response.body;
    EXPECT_NE(response.body.find("EchoResponse"), std::string::npos);
    EXPECT_EQ(XmlElementText(response.body, "Result"), "over the wire");
    EXPECT_EQ(XmlElementText(response.body, "Twice"), "-16");

    WireResponse inner = Soap("/control/InnerEcho", "Echo", {{"Text", "inner"}, {"Number", "1"}});
    ASSERT_EQ(inner.status, 200) << inner.body;
    EXPECT_EQ(XmlElementText(inner.body, "Result"), "inner");
}

TEST_F(DeviceLab, AnswersAnActionWithoutOutArgumentsWithAnEmptyResponse) {
    WireResponse response = Soap("/control/Echo", "Nothing", {});
    ASSERT_EQ(response.status, 200) << response.body;
    EXPECT_TRUE(std::regex_search(response.body, std::regex("<u:NothingResponse[^>]*(/>|>\\s*</u:NothingResponse>)")))
        << response.body;
}

TEST_F(DeviceLab, FaultsForUnknownActionsBadArgumentsAndUnlistedCodes) {
    WireResponse unknown = Soap("/control/Echo", "Unimplemented", {});
    EXPECT_EQ(unknown.status, 500) << unknown.body;
    EXPECT_NE(XmlElementText(unknown.body, "errorCode"), "");

    WireResponse bad = Soap("/control/Echo", "Echo", {{"Text", "x"}, {"Number", "twelve"}});
    EXPECT_EQ(bad.status, 500) << bad.body;
    EXPECT_NE(XmlElementText(bad.body, "errorCode"), "");

    WireResponse unlisted = Soap("/control/Echo", "Fail", {{"Code", "999"}});
    EXPECT_EQ(unlisted.status, 500) << unlisted.body;
    EXPECT_EQ(XmlElementText(unlisted.body, "errorCode"), "999");
    EXPECT_EQ(XmlElementText(unlisted.body, "errorDescription"), "Invalid parameter.");

    WireResponse listed = Soap("/control/Echo", "Fail", {{"Code", "402"}});
    EXPECT_EQ(XmlElementText(listed.body, "errorCode"), "402");
    EXPECT_EQ(XmlElementText(listed.body, "errorDescription"), "Invalid soap param");
}

TEST_F(DeviceLab, ServesRangesOfTheDescription) {
    std::string whole = Get("/description.xml").body;
    ASSERT_GT(whole.size(), 100u);
    WireResponse part = Get("/description.xml", {{"Range", "bytes=10-49"}});
    EXPECT_EQ(part.status, 206);
    EXPECT_EQ(part.body, whole.substr(10, 40));

    WireResponse tail = Get("/description.xml", {{"Range", "bytes=-20"}});
    EXPECT_EQ(tail.status, 206);
    EXPECT_EQ(tail.body, whole.substr(whole.size() - 20));
}

TEST_F(DeviceLab, RefusesWritesToServedPaths) {
    std::string before = Get("/description.xml").body;
    WireResponse post = HttpRequest(host, port, "POST", "/description.xml",
                                    {{"Content-Type", "text/xml"}}, "<overwritten/>");
    EXPECT_NE(post.status, 200);
    EXPECT_GE(post.status, 400);
    EXPECT_EQ(Get("/description.xml").body, before);
}

TEST_F(DeviceLab, RecreatingTheDeviceUnderRequestsServesOnlyTheNewOne) {
    // Requests keep arriving for the first device while it is replaced; under
    // AddressSanitizer a request touching a freed device would abort here.
    std::atomic<bool> done{false};
    std::atomic<int> answered{0};
    std::thread client([&] {
        while (!done) {
            WireResponse response = Soap("/control/Echo", "Echo", {{"Text", "t"}, {"Number", "1"}});
            if (response.status != 0) ++answered;
        }
    });
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(UpnpUtility::Instance().CreateDevice(FrameworkData("TestDevice.xml"),
                                                       std::make_shared<EchoFactory>(false)),
                  0);
    done = true;
    client.join();
    EXPECT_GT(answered.load(), 0);

    auto root = UpnpUtility::Instance().RootDevice();
    std::string body = Get("/description.xml").body;
    auto udns = AllTexts(body, "UDN");
    ASSERT_FALSE(udns.empty());
    EXPECT_EQ(udns.front(), root->Info().UDN);
    EXPECT_EQ(Get("/EchoService.xml").status, 200);
    EXPECT_EQ(Soap("/control/Echo", "Echo", {{"Text", "new"}, {"Number", "2"}}).status, 200);
}

TEST_F(DeviceLab, AddressAndMacChangesRewriteTheServedDescription) {
    auto root = UpnpUtility::Instance().RootDevice();
    UpnpAddressChangedEvent event{"203.0.113.9", 4321};
    EXPECT_EQ(UpnpUtility::DeviceCallback(static_cast<Upnp_EventType>(15), &event, &UpnpUtility::Instance()), 0);
    std::string body = Get("/description.xml").body;
    char hostname[256] = {};
    gethostname(hostname, sizeof hostname - 1);
    EXPECT_EQ(XmlElementText(body, "modelDescription"),
              std::string("Test device on ") + hostname + ":203.0.113.9");
    EXPECT_EQ(root->Info().location, "http://203.0.113.9:4321/description.xml");

    EXPECT_EQ(UpnpUtility::DeviceCallback(static_cast<Upnp_EventType>(15), nullptr, &UpnpUtility::Instance()), -1);
    // The serial number holds no "TV" marker, so a MAC change leaves it alone.
    std::string serial = XmlElementText(body, "serialNumber");
    EXPECT_EQ(UpnpUtility::DeviceCallback(static_cast<Upnp_EventType>(16), "02:00:00:00:00:01",
                                          &UpnpUtility::Instance()),
              0);
    EXPECT_EQ(XmlElementText(Get("/description.xml").body, "serialNumber"), serial);
}

int IgnoreClientEvents(Upnp_EventType, const void*, void*) { return 0; }

TEST_F(DeviceLab, ControlPointSideReceivesResponsesBeyondLibupnpsDefaultLimit) {
    // libupnp refuses bodies over 16,000 bytes unless the runtime raised it.
    UpnpClient_Handle client = -1;
    ASSERT_EQ(UpnpRegisterClient(IgnoreClientEvents, nullptr, &client), UPNP_E_SUCCESS);
    auto root = UpnpUtility::Instance().RootDevice();
    const ServiceInfo& service = root->Services()[0]->Info();
    EchoAction remote(service);
    // Under the 64 KiB an argument may hold, well over libupnp's default.
    const std::string text(60000, 'x');
    auto request = remote.BuildRequest({{"Text", text}, {"Number", 1}});
    IXML_Document* response = nullptr;
    int rc = UpnpSendAction(client, service.controlURL.c_str(), service.serviceType.c_str(),
                            root->Info().UDN.c_str(), request.get(), &response, 1);
    UniqueXmlDocument owned(response);
    UpnpUnRegisterClient(client);
    ASSERT_EQ(rc, UPNP_E_SUCCESS);
    EXPECT_EQ(xml::FirstText(xml::AsNode(response), "Result").size(), text.size());
}

// The interface that holds `address`, or empty.
std::string InterfaceOf(const std::string& address) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::string name;
    for (ifaddrs* it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(it->ifa_addr)->sin_addr, text,
                  sizeof text);
        if (address == text) name = it->ifa_name;
    }
    freeifaddrs(list);
    return name;
}

TEST_F(DeviceLab, KernelAddressChangeReachesTheServedDescription) {
    const std::string interface = InterfaceOf(host);
    ASSERT_FALSE(interface.empty());
    const std::string added = "198.51.100.77";
    ASSERT_EQ(std::system(("ip addr add " + added + "/24 dev " + interface).c_str()), 0);
    std::string description;
    for (int i = 0; i < 100; ++i) {
        description = XmlElementText(Get("/description.xml").body, "modelDescription");
        if (description.ends_with(":" + added)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::system(("ip addr del " + added + "/24 dev " + interface).c_str());
    EXPECT_TRUE(description.ends_with(":" + added)) << description;
}

TEST(Runtime, StartsAgainAfterFinishOnTheAddressGiven) {
    HALVORN_REQUIRE_LAB();
    auto& upnp = UpnpUtility::Instance();
    EXPECT_TRUE(upnp.Stopped());
    // libupnp serves no loopback interface.
    testing::internal::CaptureStderr();
    EXPECT_EQ(upnp.Init(0, "127.0.0.1"), UPNP_E_INVALID_INTERFACE);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Initialize failed: -121"), std::string::npos);
    upnp.Finish();
    CaptureStdout();
    ASSERT_EQ(upnp.Init(0, "198.51.100.2"), 0);
    EXPECT_FALSE(upnp.Stopped());
    EXPECT_EQ(UpnpUtility::ServerAddress(), "198.51.100.2");
    // No control point registered: Finish still shuts libupnp down.
    upnp.Finish();
    EXPECT_TRUE(upnp.Stopped());
    ASSERT_EQ(upnp.Init(0, ""), 0);
    ASSERT_EQ(upnp.CreateDevice(FrameworkData("TestDevice.xml"), std::make_shared<EchoFactory>(false)), 0);
    std::string log = GetCapturedStdout();
    EXPECT_EQ(HttpRequest(UpnpUtility::ServerAddress(), UpnpUtility::ServerPort(), "GET",
                          "/description.xml")
                  .status,
              200)
        << log;
    upnp.Finish();
    UpnpUtility::Destroy();
}
