// Halvorn::Initialize with the real runtime: what request threads read must
// be in place before the device can be announced.
#include <gtest/gtest.h>

#include <filesystem>

#include "Halvorn.h"
#include "InputInjector.h"
#include "LabGuard.h"
#include "TvInputControl.h"

namespace fs = std::filesystem;

namespace {

std::string Data(const std::string& relative) {
    return std::string(HALVORN_TEST_DATA) + "/" + relative;
}

}  // namespace

// The runtime starts, then the description is refused (code 8): the limits
// must already be set by then.
TEST(HalvornInitialize, PointerLimitsAreSetBeforeTheDeviceIsCreated) {
    HALVORN_REQUIRE_LAB();
    const fs::path install = fs::path(testing::TempDir()) / "halvorn_initialize";
    fs::remove_all(install);
    fs::create_directories(install / "web");
    fs::copy_file(Data("receiver/keymaps/tvos_ir_keys.xml"), install / "tvos_ir_keys.xml");
    fs::copy_file(Data("receiver/servicelists/ServiceList.xml"), install / "ServiceList.xml");
    fs::copy_file(Data("framework/NoUdn.xml"), install / "web" / "TvDevice.xml");

    const auto control = TvInputControl::Instance();
    control->SetInjector(std::make_unique<platform::RecordingInjector>());  // not the desktop
    Halvorn halvorn;
    halvorn.web_root = (install / "web").string();
    halvorn.dev_desc = "TvDevice.xml";
    halvorn.service_list = (install / "ServiceList.xml").string();
    halvorn.max_x = 1920;
    halvorn.max_y = 1080;
    testing::internal::CaptureStderr();
    EXPECT_EQ(halvorn.Initialize(), 8);
    halvorn.Finalize();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("CreateDevice failed: "),
              std::string::npos);
    EXPECT_EQ(control->x_limit, 1919);
    EXPECT_EQ(control->y_limit, 1079);

    control->SetInjector(nullptr);
    control->x_limit = control->y_limit = 0;
    fs::remove_all(install);
}
