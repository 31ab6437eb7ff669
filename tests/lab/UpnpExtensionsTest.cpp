// UpnpExtensions: reachability probe, UUID text and the UpnpSendAction
// overload. Everything that opens connections or starts libupnp runs in the
// lab only.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <upnptools.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "LabGuard.h"
#include "UpnpExtensions.h"

namespace {

// A TCP socket on a loopback address; listening or merely holding the port.
class LocalSocket {
public:
    LocalSocket(int family, uint16_t port, bool listening) {
        fd_ = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) return;
        const int on = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        sockaddr_storage address{};
        socklen_t size = 0;
        if (family == AF_INET) {
            auto* in = reinterpret_cast<sockaddr_in*>(&address);
            in->sin_family = AF_INET;
            in->sin_port = htons(port);
            in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            size = sizeof(*in);
        } else {
            auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
            in6->sin6_family = AF_INET6;
            in6->sin6_port = htons(port);
            in6->sin6_addr = in6addr_loopback;
            size = sizeof(*in6);
        }
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            (listening && listen(fd_, 4) != 0) ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            close(fd_);
            fd_ = -1;
            return;
        }
        port_ = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                        : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    }
    ~LocalSocket() {
        if (fd_ >= 0) close(fd_);
    }
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    bool ok() const { return fd_ >= 0; }
    std::string port() const { return std::to_string(port_); }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

class TryConnectTest : public testing::Test {
protected:
    void SetUp() override { HALVORN_REQUIRE_LAB(); }
};

TEST_F(TryConnectTest, SucceedsForAListeningSocket) {
    LocalSocket listener(AF_INET, 0, true);
    ASSERT_TRUE(listener.ok()) << strerror(errno);
    const std::string port = listener.port();
    for (const std::string& url :
         {"http://127.0.0.1:" + port + "/description.xml", "http://127.0.0.1:" + port,
          "HTTP://127.0.0.1:" + port + "/", "http://localhost:" + port + "/x?y=1",
          "http://127.0.0.1:" + port + "?q"}) {
        EXPECT_EQ(UpnpTryConnect(url.c_str(), 5), 0) << url;
    }
}

TEST_F(TryConnectTest, UsesPort80WhenTheUrlHasNone) {
    PrivateNetwork network;  // port 80 is ours alone there
    ASSERT_TRUE(network.ok()) << network.error();
    LocalSocket listener(AF_INET, 80, true);
    ASSERT_TRUE(listener.ok()) << strerror(errno);
    EXPECT_EQ(UpnpTryConnect("http://127.0.0.1/description.xml", 5), 0);
    EXPECT_EQ(UpnpTryConnect("http://127.0.0.1", 5), 0);
}

TEST_F(TryConnectTest, SucceedsForAnIpv6Literal) {
    LocalSocket listener(AF_INET6, 0, true);
    ASSERT_TRUE(listener.ok()) << strerror(errno);
    const std::string url = "http://[::1]:" + listener.port() + "/";
    EXPECT_EQ(UpnpTryConnect(url.c_str(), 5), 0) << url;
}

TEST_F(TryConnectTest, FailsForAClosedPort) {
    LocalSocket holder(AF_INET, 0, false);  // bound, not listening: refused
    ASSERT_TRUE(holder.ok()) << strerror(errno);
    const std::string url = "http://127.0.0.1:" + holder.port() + "/";
    EXPECT_NE(UpnpTryConnect(url.c_str(), 5), 0);
}

TEST_F(TryConnectTest, FailsForAnAddressNobodyAnswers) {
    // On lab0's subnet but held by no one: ARP gets no answer, so this
    // either times out or fails as unreachable.
    EXPECT_NE(UpnpTryConnect("http://198.51.100.99:80/", 1), 0);
}

TEST_F(TryConnectTest, FailsForMalformedUrls) {
    // Something listens on the default port, so a lax parser that falls
    // back to it would connect.
    PrivateNetwork network;
    ASSERT_TRUE(network.ok()) << network.error();
    LocalSocket listener(AF_INET, 80, true);
    ASSERT_TRUE(listener.ok()) << strerror(errno);
    ASSERT_EQ(UpnpTryConnect("http://127.0.0.1/", 5), 0);

    for (const char* url :
         {"", "http://", "http:///", "http://:80/", "127.0.0.1:80", "ftp://127.0.0.1/",
          "https://127.0.0.1/", "http:/127.0.0.1/", "http://127.0.0.1:/", "http://127.0.0.1:x80/",
          "http://127.0.0.1:80x/", "http://127.0.0.1:-80/", "http://127.0.0.1:0/",
          "http://127.0.0.1:65536/", "http://user@127.0.0.1/", "http://[::1/", "http://[::1]x/",
          "http://127.0.0.1 /"}) {
        EXPECT_NE(UpnpTryConnect(url, 1), 0) << '"' << url << '"';
    }
    EXPECT_NE(UpnpTryConnect(nullptr, 1), 0);
}

// --- UUIDs ---

bool IsWellFormedUuid(const std::string& text) {
    if (text.size() != 36) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (text[i] == '-')) return false;
        if (!dash && !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
        if (std::isupper(static_cast<unsigned char>(text[i]))) return false;
    }
    // RFC 4122 variant; random (4) or time-based (1) version.
    return std::string("89ab").find(text[19]) != std::string::npos &&
           (text[14] == '4' || text[14] == '1');
}

TEST(UuidUnpack, WritesOneWellFormedLowerCaseUuidAndNothingBeyond) {
    char buffer[64];
    std::memset(buffer, '#', sizeof(buffer));
    UpnpUuidUnpack(buffer);
    EXPECT_EQ(buffer[36], '\0');
    const std::string text(buffer);
    EXPECT_TRUE(IsWellFormedUuid(text)) << text;
    EXPECT_EQ(text.find("uuid:"), std::string::npos);
    for (size_t i = 37; i < sizeof(buffer); ++i)
        ASSERT_EQ(buffer[i], '#') << "written past 37 bytes at " << i;
}

TEST(UuidUnpack, GivesDistinctValues) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        char buffer[37];
        UpnpUuidUnpack(buffer);
        ASSERT_TRUE(IsWellFormedUuid(buffer)) << buffer;
        seen.insert(buffer);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

// --- The UpnpSendAction overload ---

// Before UpnpInit, libupnp's own function answers UPNP_E_FINISH; an overload
// that called itself would overflow the stack instead.
TEST(SendActionOverload, ForwardsToLibupnpWithoutStartingIt) {
    IXML_Document* response = nullptr;
    EXPECT_EQ(UpnpSendAction(1, "http://127.0.0.1:1/control", "urn:schemas-upnp-org:service:Echo:1",
                             nullptr, nullptr, &response, 1),
              UPNP_E_FINISH);
    EXPECT_EQ(response, nullptr);
}

constexpr const char* kEchoService = "urn:schemas-upnp-org:service:Echo:1";

struct EchoDevice {
    std::string udn;
    std::string seen_action;
    std::string seen_service;
};

int OnDeviceEvent(Upnp_EventType type, const void* event, void* cookie) {
    if (type != UPNP_CONTROL_ACTION_REQUEST) return 0;
    auto* device = static_cast<EchoDevice*>(cookie);
    // libupnp hands the request as const but expects the result written into it.
    auto* request = static_cast<UpnpActionRequest*>(const_cast<void*>(event));
    device->seen_action = UpnpActionRequest_get_ActionName_cstr(request);
    device->seen_service = UpnpActionRequest_get_ServiceID_cstr(request);

    std::string text;
    IXML_NodeList* nodes =
        ixmlDocument_getElementsByTagName(UpnpActionRequest_get_ActionRequest(request), "Text");
    if (nodes != nullptr) {
        IXML_Node* child = ixmlNode_getFirstChild(ixmlNodeList_item(nodes, 0));
        if (child != nullptr && ixmlNode_getNodeValue(child) != nullptr)
            text = ixmlNode_getNodeValue(child);
        ixmlNodeList_free(nodes);
    }
    UpnpActionRequest_set_ActionResult(
        request, UpnpMakeActionResponse(device->seen_action.c_str(), kEchoService, 1, "Echoed",
                                        text.c_str(), nullptr));
    UpnpActionRequest_set_ErrCode(request, UPNP_E_SUCCESS);
    return 0;
}

int OnClientEvent(Upnp_EventType, const void*, void*) {
    return 0;
}

class SendActionLabTest : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        ASSERT_EQ(UpnpInit2("lab0", 0), UPNP_E_SUCCESS);
        initialized_ = true;
    }
    void TearDown() override {
        if (client_ >= 0) UpnpUnRegisterClient(client_);
        if (device_handle_ >= 0) UpnpUnRegisterRootDevice(device_handle_);
        if (initialized_) UpnpFinish();
    }

    bool initialized_ = false;
    UpnpDevice_Handle device_handle_ = -1;
    UpnpClient_Handle client_ = -1;
};

TEST_F(SendActionLabTest, RoundTripsAnActionThroughTheOverload) {
    char uuid[37];
    UpnpUuidUnpack(uuid);
    EchoDevice device;
    device.udn = std::string("uuid:") + uuid;
    const std::string description =
        "<?xml version=\"1.0\"?>\n"
        "<root xmlns=\"urn:schemas-upnp-org:device-1-0\"><device>"
        "<deviceType>urn:schemas-upnp-org:device:Echo:1</deviceType>"
        "<friendlyName>Echo</friendlyName><manufacturer>Halvorn tests</manufacturer>"
        "<modelName>Echo</modelName><UDN>" +
        device.udn +
        "</UDN><serviceList><service>"
        "<serviceType>urn:schemas-upnp-org:service:Echo:1</serviceType>"
        "<serviceId>urn:upnp-org:serviceId:Echo</serviceId>"
        "<SCPDURL>/echo.xml</SCPDURL><controlURL>/echo/control</controlURL>"
        "<eventSubURL>/echo/event</eventSubURL>"
        "</service></serviceList></device></root>\n";
    ASSERT_EQ(UpnpRegisterRootDevice2(UPNPREG_BUF_DESC, description.c_str(), description.size(), 1,
                                      OnDeviceEvent, &device, &device_handle_),
              UPNP_E_SUCCESS);
    ASSERT_EQ(UpnpRegisterClient(OnClientEvent, nullptr, &client_), UPNP_E_SUCCESS);

    const std::string control_url =
        "http://" + std::string(UpnpGetServerIpAddress()) + ":" + std::to_string(UpnpGetServerPort()) + "/echo/control";
    IXML_Document* action = UpnpMakeAction("Echo", kEchoService, 1, "Text", "hello lab", nullptr);
    ASSERT_NE(action, nullptr);
    IXML_Document* response = nullptr;
    const int result =
        UpnpSendAction(client_, control_url.c_str(), kEchoService, nullptr, action, &response, 1);
    ixmlDocument_free(action);
    ASSERT_EQ(result, UPNP_E_SUCCESS);
    ASSERT_NE(response, nullptr);
    DOMString printed = ixmlPrintDocument(response);
    const std::string text = printed != nullptr ? printed : "";
    ixmlFreeDOMString(printed);
    ixmlDocument_free(response);

    EXPECT_EQ(device.seen_action, "Echo");
    EXPECT_EQ(device.seen_service, "urn:upnp-org:serviceId:Echo");
    EXPECT_NE(text.find("EchoResponse"), std::string::npos) << text;
    EXPECT_NE(text.find("<Echoed>hello lab</Echoed>"), std::string::npos) << text;
}

}  // namespace
