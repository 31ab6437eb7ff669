// The server family's device functions on a server device built from the
// shipped description (in a private copy, which must stay as installed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DLNA.h"
#include "ServerTestSupport.h"
#include "UpnpRootDevice.h"
#include "UpnpUtility.h"
#include "api/DLNAContext.h"
#include "api/DLNAServiceFactory.h"
#include "renderer/MediaRenderer.h"
#include "server/MediaServer.h"

namespace fs = std::filesystem;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class DmsDeviceInfo : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/dms-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        fs::copy(fs::path(ShippedData("DMS.xml")).parent_path(), directory);
        auto& context = DLNAContext::Instance();
        CaptureStderr();
        // libupnp is not running: the device is built but never registered.
        UpnpUtility::Instance().CreateDevice(
            directory + "/DMS.xml",
            std::make_shared<DLNAServiceFactory>(nullptr, &context.Server(), nullptr,
                                                 &DLNAContext::Shares()));
        GetCapturedStderr();
        root = UpnpUtility::Instance().RootDevice();
        ASSERT_TRUE(root);
    }
    void TearDown() override {
        root.reset();
        CaptureStderr();
        DLNA_Finalize();
        GetCapturedStderr();
        fs::remove_all(directory);
    }

    std::string directory;
    std::shared_ptr<UpnpRootDevice> root;
};

}  // namespace

TEST_F(DmsDeviceInfo, WithoutADeviceOrARecordBothAnswerInvalidArgument) {
    DLNA_DEVICE_INFO info{};
    EXPECT_EQ(DLNA_DMS_GetDeviceInfo(&info), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMS_SetDeviceInfo(&info), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(info.friendly_name, nullptr);
    DLNAContext::Instance().Server().Bind(root);
    EXPECT_EQ(DLNA_DMS_GetDeviceInfo(nullptr), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMS_SetDeviceInfo(nullptr), DLNA_E_INVALID_ARGUMENT);
}

TEST_F(DmsDeviceInfo, GetGivesTheDescriptionAndSetChangesOnlyTheFieldsGiven) {
    DLNAContext::Instance().Server().Bind(root);
    DLNA_DEVICE_INFO before{};
    ASSERT_EQ(DLNA_DMS_GetDeviceInfo(&before), DLNA_OK);
    EXPECT_STREQ(before.device_type, "urn:schemas-upnp-org:device:MediaServer:1");
    EXPECT_STREQ(before.friendly_name, "DLNA Media Server");
    EXPECT_STREQ(before.manufacturer, "Tundric");
    EXPECT_EQ(std::string(before.udn).rfind("uuid:", 0), 0u);
    EXPECT_TRUE(std::string(before.location).ends_with("/description.xml"));

    DLNA_DEVICE_INFO change{};
    change.friendly_name = const_cast<char*>("Living room & den");
    change.model_name = const_cast<char*>("Model X");
    change.location = const_cast<char*>("http://ignored/");
    ASSERT_EQ(DLNA_DMS_SetDeviceInfo(&change), DLNA_OK);

    DLNA_DEVICE_INFO after{};
    ASSERT_EQ(DLNA_DMS_GetDeviceInfo(&after), DLNA_OK);
    EXPECT_STREQ(after.friendly_name, "Living room & den");
    EXPECT_STREQ(after.model_name, "Model X");
    EXPECT_STREQ(after.manufacturer, before.manufacturer);
    EXPECT_STREQ(after.udn, before.udn);
    EXPECT_STREQ(after.location, before.location);
    EXPECT_NE(root->ServedDescription().find("Living room &amp; den"), std::string::npos);
    DLNA_FreeDeviceInfo(&before);
    DLNA_FreeDeviceInfo(&after);
}

// The installed description keeps its placeholders for the next start; the
// renderer's Set, like the server's, reports a rewrite that failed.
TEST_F(DmsDeviceInfo, SetNeverWritesTheInstalledDescriptionAndReportsFailure) {
    const auto installed = [&] {
        std::ifstream in(directory + "/DMS.xml", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = installed();
    DLNAContext::Instance().Server().Bind(root);
    DLNAContext::Instance().Renderer().Bind(root);
    DLNA_DEVICE_INFO change{};
    change.friendly_name = const_cast<char*>("Kitchen");
    EXPECT_EQ(DLNA_DMS_SetDeviceInfo(&change), DLNA_OK);
    EXPECT_EQ(DLNA_DMR_SetDeviceInfo(&change), DLNA_OK);
    EXPECT_NE(root->ServedDescription().find("Kitchen"), std::string::npos);
    EXPECT_EQ(installed(), before);

    root->Stop();  // nothing served any more: nothing to rewrite
    CaptureStderr();
    EXPECT_EQ(DLNA_DMS_SetDeviceInfo(&change), DLNA_E_FAILED);
    EXPECT_EQ(DLNA_DMR_SetDeviceInfo(&change), DLNA_E_FAILED);
    GetCapturedStderr();
}
