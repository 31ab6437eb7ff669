// The staged receiver over the real protocol: a plain SOAP client in the lab,
// an X server (Xvfb) whose keyboard and pointer the receiver drives.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <memory>

#include "HttpClient.h"
#include "ReceiverOnXvfb.h"

namespace {

const std::string kStage = RECEIVER_STAGE;
const std::string kMouse = "urn:tundric-com:service:TvMouseInput:1";
const std::string kKeyboard = "urn:tundric-com:service:TvKeyboardInput:1";
const std::string kControl = "urn:tundric-com:service:tvcontrol:1";

class ReceiverLab : public ReceiverOnXvfb {
protected:
    ReceiverLab() : ReceiverOnXvfb(kStage) {}

    WireResponse Call(const std::string& service, const std::string& action,
                      const std::vector<std::pair<std::string, std::string>>& arguments = {}) {
        std::string name = service.substr(service.find("service:") + 8);
        name = name.substr(0, name.find(':'));
        return SoapCall(receiver->Address(), receiver->Port(), "/control/" + name, service, action,
                        arguments);
    }

};

}  // namespace

TEST_F(ReceiverLab, KeyPressAndReleaseReachTheXServer) {
    const unsigned keycode_a = 30 + 8;
    bool down = false;
    ASSERT_EQ(Call(kKeyboard, "KeyPress", {{"Key", "KEY_A"}}).status, 200) << receiver->Output();
    ASSERT_TRUE(xvfb->KeyDown(keycode_a, &down));
    EXPECT_TRUE(down);
    ASSERT_EQ(Call(kKeyboard, "KeyRelease", {{"Key", "KEY_A"}}).status, 200);
    ASSERT_TRUE(xvfb->KeyDown(keycode_a, &down));
    EXPECT_FALSE(down);

    // A remote-control key beyond X's keycode range arrives as its keysym.
    ASSERT_EQ(Call(kKeyboard, "KeyPress", {{"Key", "SI_KEY_RED"}}).status, 200);
    const unsigned red = xvfb->KeycodeOf(0x10081000 + 398);
    ASSERT_NE(red, 0u);
    ASSERT_TRUE(xvfb->KeyDown(red, &down));
    EXPECT_TRUE(down);
    ASSERT_EQ(Call(kKeyboard, "KeyRelease", {{"Key", "SI_KEY_RED"}}).status, 200);

    WireResponse unknown = Call(kKeyboard, "KeyPress", {{"Key", "KEY_LEFT"}});
    EXPECT_EQ(unknown.status, 500);
    EXPECT_EQ(XmlElementText(unknown.body, "errorCode"), "-1");
}

TEST_F(ReceiverLab, AbsoluteMotionAndClickLandWhereAsked) {
    ASSERT_EQ(Call(kMouse, "Motion", {{"CoordinateType", "Absolute"}, {"X", "0.5"}, {"Y", "0.25"}})
                  .status,
              200);
    int x = -1, y = -1;
    ASSERT_TRUE(xvfb->PointerPosition(&x, &y));
    EXPECT_NEAR(x, XvfbServer::kWidth / 2, 1);
    EXPECT_NEAR(y, XvfbServer::kHeight / 4, 1);

    ASSERT_EQ(Call(kMouse, "LeftButtonPress", {{"CoordinateType", "Absolute"}, {"X", "0.25"}, {"Y", "0.75"}})
                  .status,
              200);
    bool down = false;
    ASSERT_TRUE(xvfb->ButtonDown(1, &down));
    EXPECT_TRUE(down);
    ASSERT_TRUE(xvfb->PointerPosition(&x, &y));
    EXPECT_NEAR(x, XvfbServer::kWidth / 4, 1);
    EXPECT_NEAR(y, XvfbServer::kHeight * 3 / 4, 1);
    ASSERT_EQ(Call(kMouse, "LeftButtonRelease", {{"CoordinateType", "Absolute"}, {"X", "0.25"}, {"Y", "0.75"}})
                  .status,
              200);
    ASSERT_TRUE(xvfb->ButtonDown(1, &down));
    EXPECT_FALSE(down);

    ASSERT_EQ(Call(kMouse, "Motion", {{"CoordinateType", "Relative"}, {"X", "10.9"}, {"Y", "-3.7"}})
                  .status,
              200);
    int moved_x = -1, moved_y = -1;
    ASSERT_TRUE(xvfb->PointerPosition(&moved_x, &moved_y));
    EXPECT_EQ(moved_x, x + 10);
    EXPECT_EQ(moved_y, y - 3);
}

TEST_F(ReceiverLab, NonNumericCoordinateIsRefused) {
    WireResponse response = Call(kMouse, "Motion", {{"CoordinateType", "Absolute"}, {"X", "left"}, {"Y", "0.5"}});
    EXPECT_EQ(response.status, 500);
    EXPECT_NE(XmlElementText(response.body, "errorCode"), "");
}

TEST_F(ReceiverLab, SystemActionsAnswerFromTheInstallation) {
    WireResponse mode = Call(kControl, "GetTVMode");
    ASSERT_EQ(mode.status, 200);
    EXPECT_EQ(XmlElementText(mode.body, "ModeValue"), "TvMode");

    WireResponse live = Call(kControl, "GetTVLiveAddr");
    ASSERT_EQ(live.status, 200);
    EXPECT_EQ(XmlElementText(live.body, "StringValue"), "rtsp://127.0.0.1:8554/live\n");

    WireResponse list = Call(kControl, "GetServiceList");
    ASSERT_EQ(list.status, 200);
    // The document comes back as XML text inside the argument, escaped.
    std::string value = XmlElementText(list.body, "ReturnValue");
    EXPECT_NE(value.find("Splashtop"), std::string::npos) << list.body;
}

TEST_F(ReceiverLab, TerminationSignalFinalisesAndEnds) {
    int status = receiver->Stop(SIGTERM);
    ASSERT_NE(status, -1) << "still running after SIGTERM\n" << receiver->Output();
    // Nothing answers on the receiver's port any more.
    EXPECT_EQ(HttpRequest(receiver->Address(), receiver->Port(), "GET", "/description.xml").status, 0);
}
