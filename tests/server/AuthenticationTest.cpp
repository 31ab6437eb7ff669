// The challenge-response service, its Browse filter and the controller's
// exchange, over requests as libupnp hands them over. Digests in the
// fixtures were computed outside this code (Python's hmac).
#include <gtest/gtest.h>

#include <deque>

#include "DLNA.h"
#include "ServerTestSupport.h"
#include "UpnpClient.h"
#include "UpnpRootDevice.h"
#include "UpnpUtility.h"
#include "api/DLNAContext.h"
#include "api/DLNAServiceFactory.h"
#include "common/DeviceTypes.h"
#include "controller/KnownDevices.h"
#include "controller/RemoteAuthentication.h"
#include "server/AuthenticationActionFilter.h"
#include "server/AuthenticationManager.h"
#include "server/AuthenticationService.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const HardwareAddress kMacA{0x02, 0, 0, 0, 0, 0x0a};
const HardwareAddress kMacB{0x02, 0, 0, 0, 0, 0x0b};
const char kClientA[] = "198.51.100.1";
const char kClientB[] = "198.51.100.2";
const char kStranger[] = "198.51.100.9";  // no hardware address

Bytes Ascending() {
    Bytes bytes(kChallengeSize);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}
Bytes Descending() {
    Bytes bytes = Ascending();
    std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

ServiceInfo AuthenticationInfo() {
    return {kAuthenticationType, "urn:tundric-com:serviceId:Authentication", "", "", ""};
}

// A server-side service over a manager whose generator hands out the
// ascending challenge, then the descending one, then zeros.
class Authentication : public testing::Test {
protected:
    void SetUp() override {
        table->Set(Ipv4(kClientA), kMacA);
        table->Set(Ipv4(kClientB), kMacB);
        UniqueXmlDocument scpd(ixmlLoadDocument(ShippedData("Authentication.xml").c_str()));
        ASSERT_TRUE(service.LoadActionsFrom(scpd.get()));
        ASSERT_EQ(service.Actions().size(), 2u);
    }

    // The request's error code, 0 on success.
    int Call(const std::string& action, const std::string& fixture,
             const std::string& client = kClientA, std::string* challenge = nullptr) {
        ServerCall call(action, fixture, client);
        EXPECT_TRUE(service.Dispatch(call.get()));
        if (challenge) *challenge = call.Result("Challenge").value_or("");
        return call.ErrorCode();
    }
    std::string Challenge(const std::string& client = kClientA) {
        std::string text;
        EXPECT_EQ(Call("GetChallenge", "GetChallenge.xml", client, &text), 0);
        return text;
    }
    // 0 when the filter lets Browse through; otherwise the error it set.
    int Browse(const std::string& client) {
        ServerCall call("Browse", "Browse_metadata.xml", client);
        if (filter.Accept(call.get())) return 0;
        EXPECT_EQ(call.ErrorText(), "Unauthenticated access");
        return call.ErrorCode();
    }

    std::shared_ptr<platform::StaticNeighbourTable> table =
        std::make_shared<platform::StaticNeighbourTable>();
    HardwareAddressCache cache{table};
    std::deque<Bytes> challenges{Ascending(), Descending()};
    std::shared_ptr<AuthenticationManager> manager =
        std::make_shared<AuthenticationManager>(cache, [this](size_t count) {
            if (challenges.empty()) return std::optional<Bytes>(Bytes(count));
            Bytes next = challenges.front();
            challenges.pop_front();
            return std::optional<Bytes>(next);
        });
    AuthenticationService service{AuthenticationInfo(), manager};
    AuthenticationActionFilter filter{"Browse", manager};
};

}  // namespace

TEST_F(Authentication, WithoutPasswordKnownClientsBrowseAndAnyDigestPasses) {
    EXPECT_EQ(Browse(kClientA), 0);
    EXPECT_EQ(Call("Authenticate", "Authenticate_wrong.xml"), 0);
    EXPECT_EQ(Browse(kClientB), 0);
}

TEST_F(Authentication, AClientWithoutHardwareAddressIsRefusedEvenWithoutPassword) {
    CaptureStderr();
    EXPECT_EQ(Browse(kStranger), 801);
    const std::string log = GetCapturedStderr();
    EXPECT_NE(log.find("[WARNING]"), std::string::npos) << log;
    EXPECT_NE(log.find("Can't get the hardware address"), std::string::npos) << log;
}

TEST_F(Authentication, APasswordRefusesBrowseUntilTheChallengeIsAnswered) {
    manager->SetPassword("secret");
    EXPECT_EQ(Browse(kClientA), 801);
    const std::string challenge = Challenge();
    EXPECT_EQ(challenge.size(), 344u);
    EXPECT_EQ(challenge.back(), '=');
    EXPECT_EQ(Base64Decode(challenge), Ascending());
    EXPECT_EQ(Call("Authenticate", "Authenticate_first.xml"), 0);
    EXPECT_EQ(Browse(kClientA), 0);
    // Another machine is another client.
    EXPECT_EQ(Browse(kClientB), 801);
}

TEST_F(Authentication, AWrongAnswerLeavesTheClientPendingWithTheSameChallenge) {
    manager->SetPassword("secret");
    const std::string first = Challenge();
    const struct {
        const char* fixture;
        int error;
    } answers[] = {
        {"Authenticate_wrong.xml", 501},   // another password
        {"Authenticate_short.xml", 501},   // 15 bytes
        {"Authenticate_second.xml", 501},  // a challenge it was not given
        {"Authenticate_empty.xml", 402},
    };
    for (const auto& answer : answers) {
        EXPECT_EQ(Call("Authenticate", answer.fixture), answer.error) << answer.fixture;
        EXPECT_EQ(Challenge(), first) << answer.fixture;
    }
    EXPECT_EQ(Browse(kClientA), 801);
    EXPECT_EQ(Call("Authenticate", "Authenticate_first.xml", kClientB), 501);  // no cookie
}

TEST_F(Authentication, EachCorrectAnswerEarnsANewChallengeAndOldAnswersStopWorking) {
    manager->SetPassword("secret");
    Challenge();
    ASSERT_EQ(Call("Authenticate", "Authenticate_first.xml"), 0);
    EXPECT_EQ(Base64Decode(Challenge()), Descending());
    EXPECT_EQ(Call("Authenticate", "Authenticate_first.xml"), 501);
    EXPECT_EQ(Call("Authenticate", "Authenticate_second.xml"), 0);
    EXPECT_EQ(Browse(kClientA), 0);
}

TEST_F(Authentication, ChangingThePasswordRefusesEveryClientAgain) {
    manager->SetPassword("secret");
    Challenge();
    ASSERT_EQ(Call("Authenticate", "Authenticate_first.xml"), 0);
    manager->SetPassword("secret");
    EXPECT_EQ(Browse(kClientA), 801);
    manager->SetPassword("");
    EXPECT_EQ(Browse(kClientA), 0);
}

TEST_F(Authentication, OnlyTheGuardedActionIsFiltered) {
    manager->SetPassword("secret");
    ServerCall call("GetChallenge", "GetChallenge.xml", kStranger);
    EXPECT_TRUE(filter.Accept(call.get()));
    EXPECT_EQ(call.ErrorCode(), 0);
    EXPECT_TRUE(filter.IsSame(AuthenticationActionFilter("Browse", nullptr)));
    EXPECT_FALSE(filter.IsSame(AuthenticationActionFilter("Search", manager)));
}

TEST_F(Authentication, BothActionsFailWhenTheManagerIsGone) {
    AuthenticationService orphan{AuthenticationInfo(),
                                 std::make_shared<AuthenticationManager>(cache)};
    UniqueXmlDocument scpd(ixmlLoadDocument(ShippedData("Authentication.xml").c_str()));
    ASSERT_TRUE(orphan.LoadActionsFrom(scpd.get()));
    for (const auto& [action, fixture] : {std::pair{"GetChallenge", "GetChallenge.xml"},
                                          std::pair{"Authenticate", "Authenticate_first.xml"}}) {
        ServerCall call(action, fixture);
        EXPECT_TRUE(orphan.Dispatch(call.get()));
        EXPECT_EQ(call.ErrorCode(), 501) << action;
    }
}

TEST_F(Authentication, PendingClientsAreBoundedOldestFirst) {
    manager->SetPassword("secret");
    Challenge();  // client A gets the ascending challenge
    for (size_t i = 0; i < AuthenticationManager::kMaxPending; ++i) {
        const std::string address =
            "10.0." + std::to_string(i / 250) + "." + std::to_string(1 + i % 250);
        table->Set(Ipv4(address.c_str()),
                   {0x02, 0x10, 0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)});
        Bytes ignored;
        ASSERT_TRUE(manager->OnGetChallenge(address, &ignored));
    }
    EXPECT_EQ(manager->PendingCount(), AuthenticationManager::kMaxPending);
    // A was dropped: its answer now belongs to no cookie.
    EXPECT_EQ(Call("Authenticate", "Authenticate_first.xml"), 501);
}

// The factory: only a local MediaServer device with a manager guards Browse.
class BrowseGuard : public testing::Test {
protected:
    void SetUp() override {
        table->Set(Ipv4(kClientA), kMacA);
        // A root being built: description without an Authentication service;
        // libupnp is not running, so the root stays unregistered.
        CaptureStderr();
        UpnpUtility::Instance().CreateDevice(
            std::string(HALVORN_TEST_DATA) + "/framework/TestDevice.xml", nullptr);
        GetCapturedStderr();
        root = UpnpUtility::Instance().RootDevice();
        ASSERT_TRUE(root);
    }
    void TearDown() override {
        // No library context exists here, so DLNA_Finalize would leave the
        // root device to static destruction, after the file registry.
        root.reset();
        CaptureStderr();
        UpnpUtility::Instance().Finish();
        UpnpUtility::Destroy();
        GetCapturedStderr();
    }
    int Browse(const std::string& client) {
        ServerCall call("Browse", "Browse_metadata.xml", client);
        CaptureStderr();
        root->OnActionRequest(call.get());
        GetCapturedStderr();
        return call.ErrorCode();
    }

    std::shared_ptr<platform::StaticNeighbourTable> table =
        std::make_shared<platform::StaticNeighbourTable>();
    HardwareAddressCache cache{table};
    std::shared_ptr<UpnpRootDevice> root;
};

TEST_F(BrowseGuard, OnlyALocalServerWithAManagerGetsTheFilter) {
    const struct {
        const char* device_type;  // empty: a remote device
        bool manager;
        bool guarded;
    } cases[] = {
        {"", true, false},
        {kMediaRendererType, true, false},
        {kMediaServerType, false, false},
        {kMediaServerType, true, true},
    };
    for (const auto& c : cases) {
        auto manager = c.manager ? std::make_shared<AuthenticationManager>(cache) : nullptr;
        DLNAServiceFactory factory(nullptr, nullptr, manager, nullptr);
        DeviceInfo device;
        device.deviceType = c.device_type;
        ASSERT_TRUE(factory.CreateService(device, AuthenticationInfo()));
        EXPECT_EQ(Browse(kStranger), c.guarded ? 801 : 0) << c.device_type << c.manager;
        if (c.guarded) {
            EXPECT_EQ(Browse(kClientA), 0);
        }
    }
}

TEST(DmsSetPassword, BeforeADeviceExistsDoesNothing) {
    EXPECT_EQ(DLNA_DMS_SetPassword("secret"), 0);
    EXPECT_EQ(DLNAContext::Instance().Authentication(), nullptr);
    EXPECT_EQ(DLNA_DMS_SetPassword(nullptr), 0);
    DLNA_Finalize();
}

// The controller's exchange, against the server-side service of another
// manager: a fake network that hands each request to it.
class RemoteExchange : public Authentication {
protected:
    void SetUp() override {
        Authentication::SetUp();
        manager->SetPassword("secret");
        UniqueXmlDocument scpd(ixmlLoadDocument(ShippedData("Authentication.xml").c_str()));
        DLNAServiceFactory factory(nullptr, nullptr, nullptr, nullptr);
        auto remote = factory.CreateService(DeviceInfo{}, AuthenticationInfo());
        ASSERT_TRUE(remote && remote->LoadActionsFrom(scpd.get()));
        device = std::make_shared<UpnpClient>(DeviceInfo{}, 0,
                                              std::vector<std::shared_ptr<UpnpService>>{remote});
    }
    int Send(UpnpAction& action) {
        XmlDocumentPtr request = action.CreateRequest();
        ServerCall call(action.Name(), ixmlParseBuffer(xml::Serialize(request.get()).c_str()),
                        kClientA);
        if (!service.Dispatch(call.get())) return -1;
        if (call.ErrorCode() != 0) return call.ErrorCode();
        action.BindResponse(
            ShareDocument(ixmlParseBuffer(xml::Serialize(call.Response()).c_str())));
        return 0;
    }
    std::shared_ptr<UpnpClient> device;
    ActionSender network = [this](UpnpAction& action) { return Send(action); };
};

TEST_F(RemoteExchange, TheRightPasswordAuthenticatesAndAWrongOneFails) {
    EXPECT_EQ(AuthenticateTo(*device, "Secret", network), DLNA_E_AUTHENTICATION_FAILED);
    EXPECT_FALSE(manager->IsAuthenticated(kMacA));
    EXPECT_EQ(AuthenticateTo(*device, "secret", network), DLNA_OK);
    EXPECT_TRUE(manager->IsAuthenticated(kMacA));
    // Again, on the fresh challenge.
    EXPECT_EQ(AuthenticateTo(*device, "secret", network), DLNA_OK);
}

TEST_F(RemoteExchange, ADeviceWithoutTheServiceOrAnUnknownHandleIsRefused) {
    UpnpClient bare(DeviceInfo{}, 0, {});
    EXPECT_EQ(AuthenticateTo(bare, "secret", network), DLNA_E_NO_ACTION);
    EXPECT_EQ(AuthenticateTo(*device, "secret", [](UpnpAction&) { return -207; }),
              DLNA_E_AUTHENTICATION_FAILED);
    EXPECT_EQ(DLNA_DMSC_Authenticate(device.get(), "secret"), DLNA_E_INVALID_ARGUMENT);
    DLNAContext::Instance().Devices().Add(device, -1);
    EXPECT_EQ(DLNA_DMSC_Authenticate(device.get(), nullptr), DLNA_E_INVALID_ARGUMENT);
    DLNA_Finalize();
}
