#include <gtest/gtest.h>

#include "EchoService.h"
#include "UpnpRootDevice.h"
#include "VirtualFileRegistry.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

class RefuseFilter : public ActionFilter {
public:
    explicit RefuseFilter(std::string action) : action_(std::move(action)) {}
    bool Accept(UpnpActionRequest* request) override {
        ++calls;
        if (action_ != UpnpActionRequest_get_ActionName_cstr(request)) return true;
        UpnpActionRequest_set_ErrCode(request, 801);
        return false;
    }
    bool IsSame(const ActionFilter& other) const override {
        auto* same = dynamic_cast<const RefuseFilter*>(&other);
        return same && same->action_ == action_;
    }
    int calls = 0;

private:
    std::string action_;
};

// A root device built from the fixture, without libupnp running.
class DeviceTest : public testing::Test {
protected:
    void SetUp() override {
        doc.reset(ixmlLoadDocument(FrameworkData("TestDevice.xml").c_str()));
        ASSERT_TRUE(doc);
        CaptureStderr();
        device.Build(xml::ElementsByTag(doc.get(), "device").front(), factory);
        build_log = GetCapturedStderr();
    }

    UpnpActionRequest* Request(const std::string& udn, const std::string& service_id,
                               const std::string& action) {
        UpnpActionRequest* request = UpnpActionRequest_new();
        UpnpActionRequest_strcpy_ActionName(request, action.c_str());
        UpnpActionRequest_strcpy_DevUDN(request, udn.c_str());
        UpnpActionRequest_strcpy_ServiceID(request, service_id.c_str());
        std::string body = "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                           "<s:Body><u:" + action +
                           " xmlns:u=\"urn:halvorn-test:service:Echo:1\"/></s:Body></s:Envelope>";
        UpnpActionRequest_set_ActionRequest(request, ixmlParseBuffer(body.c_str()));
        requests.push_back(request);
        return request;
    }

    void TearDown() override {
        for (auto* request : requests) {
            ixmlDocument_free(UpnpActionRequest_get_ActionRequest(request));
            if (auto* result = UpnpActionRequest_get_ActionResult(request))
                ixmlDocument_free(result);
            UpnpActionRequest_delete(request);
        }
    }

    const std::string root_udn = "uuid:11111111-1111-1111-1111-111111111111";
    const std::string inner_udn = "uuid:22222222-2222-2222-2222-222222222222";
    UniqueXmlDocument doc;
    std::shared_ptr<EchoFactory> factory = std::make_shared<EchoFactory>(true);
    UpnpRootDevice device{nullptr, factory};
    std::string build_log;
    std::vector<UpnpActionRequest*> requests;
};

}  // namespace

TEST_F(DeviceTest, ReadsIdentityFromTheDeviceElement) {
    const DeviceInfo& info = device.Info();
    EXPECT_EQ(info.deviceType, "urn:halvorn-test:device:TestDevice:1");
    EXPECT_EQ(info.friendlyName, "Framework test device");
    EXPECT_EQ(info.UDN, root_udn);
    EXPECT_EQ(info.UPC, "123456789012");
    ASSERT_EQ(device.Devices().size(), 1u);
    EXPECT_EQ(device.Devices()[0]->Info().UDN, inner_udn);
    EXPECT_EQ(device.Devices()[0]->Info().serialNumber, "");
}

TEST_F(DeviceTest, SkipsIncompleteEntriesAndUnknownTypes) {
    // Root: Echo and Unknown reach the factory, Incomplete (no eventSubURL)
    // does not; the embedded device adds InnerEcho.
    ASSERT_EQ(factory->requested.size(), 3u);
    EXPECT_EQ(factory->requested[0].serviceId, "urn:halvorn-test:serviceId:Echo");
    EXPECT_EQ(factory->requested[1].serviceId, "urn:halvorn-test:serviceId:Unknown");
    EXPECT_EQ(factory->requested[2].serviceId, "urn:halvorn-test:serviceId:InnerEcho");
    EXPECT_EQ(factory->devices[2].UDN, inner_udn);
    ASSERT_EQ(device.Services().size(), 1u);
    EXPECT_NE(build_log.find("Create Service failed: urn:halvorn-test:service:Unknown:1"),
              std::string::npos);
}

TEST_F(DeviceTest, RoutesByUdnAndServiceIdThroughEmbeddedDevices) {
    auto* root_request = Request(root_udn, "urn:halvorn-test:serviceId:Echo", "Nothing");
    EXPECT_TRUE(device.OnActionRequest(root_request));
    EXPECT_NE(UpnpActionRequest_get_ActionResult(root_request), nullptr);

    auto* inner_request = Request(inner_udn, "urn:halvorn-test:serviceId:InnerEcho", "Nothing");
    EXPECT_TRUE(device.OnActionRequest(inner_request));

    // The root's service id on the embedded device's UDN, an unknown service
    // id, an unknown UDN and an unknown action are all left to libupnp.
    EXPECT_FALSE(device.OnActionRequest(Request(inner_udn, "urn:halvorn-test:serviceId:Echo", "Nothing")));
    EXPECT_FALSE(device.OnActionRequest(Request(root_udn, "urn:halvorn-test:serviceId:Nope", "Nothing")));
    EXPECT_FALSE(device.OnActionRequest(Request("uuid:other", "urn:halvorn-test:serviceId:Echo", "Nothing")));
    EXPECT_FALSE(device.OnActionRequest(Request(root_udn, "urn:halvorn-test:serviceId:Echo", "Unimplemented")));
}

TEST_F(DeviceTest, FiltersRunFirstAndStopRefusedRequests) {
    auto filter = std::make_shared<RefuseFilter>("Nothing");
    device.AddFilter(filter);
    auto* refused = Request(root_udn, "urn:halvorn-test:serviceId:Echo", "Nothing");
    EXPECT_FALSE(device.OnActionRequest(refused));
    EXPECT_EQ(UpnpActionRequest_get_ErrCode(refused), 801);
    EXPECT_EQ(UpnpActionRequest_get_ActionResult(refused), nullptr);

    auto* passed = Request(root_udn, "urn:halvorn-test:serviceId:Echo", "Fail");
    CaptureStderr();
    EXPECT_TRUE(device.OnActionRequest(passed));
    GetCapturedStderr();
    EXPECT_EQ(filter->calls, 2);
    EXPECT_TRUE(filter->IsSame(RefuseFilter("Nothing")));
    EXPECT_FALSE(filter->IsSame(RefuseFilter("Browse")));
}

TEST(RootDevice, RefusesDescriptionsWithoutRequiredElements) {
    struct Case {
        const char* fixture;
        const char* log;
    } cases[] = {
        {"NoSerial.xml", "Can't set the serial number."},
        {"NoUdn.xml", "Can't set the UDN."},
        {"MissingScpd.xml", "The xml doesn't exists.: "},
        {"DoesNotExist.xml", "ixmlLoadDocument failed: "},
    };
    for (const auto& c : cases) {
        UpnpRootDevice device(nullptr, std::make_shared<EchoFactory>(true));
        CaptureStdout();
        CaptureStderr();
        EXPECT_EQ(device.Start(FrameworkData(c.fixture), "192.0.2.1"), -107) << c.fixture;
        GetCapturedStdout();
        EXPECT_NE(GetCapturedStderr().find(c.log), std::string::npos) << c.fixture;
    }
    VirtualFileRegistry::Destroy();
}
