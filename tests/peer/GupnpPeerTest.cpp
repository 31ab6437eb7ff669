// A control point nobody here wrote (GUPnP, driven from Python) finds the
// staged receiver and drives the X session through it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "ReceiverOnXvfb.h"

using testing::HasSubstr;

namespace {

CommandResult ControlPoint(const std::string& arguments) {
    return RunCommand(std::string(PEER_SCRIPT) + " lab0 " + arguments);
}

class GupnpPeer : public ReceiverOnXvfb {
protected:
    GupnpPeer() : ReceiverOnXvfb(RECEIVER_STAGE) {}
};

}  // namespace

TEST_F(GupnpPeer, FindsTheReceiverAndItsSevenServices) {
    CommandResult run = ControlPoint("list");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("device urn:tundric-com:device:tvdevice:1 uuid:"));
    for (const char* name : {"tvcontrol", "TvMouseControl", "TvMouseInput", "TvKeyboardInput",
                             "TvTouchInput", "TvAccelerometerInput", "TvOrientationInput"})
        EXPECT_THAT(run.output,
                    HasSubstr(std::string("service urn:tundric-com:service:") + name + ":1"));
}

TEST_F(GupnpPeer, KeyPressMotionAndButtonReachTheXSession) {
    CommandResult key = ControlPoint("call urn:tundric-com:service:TvKeyboardInput:1 KeyPress Key=KEY_A");
    ASSERT_EQ(key.status, 0) << key.output;
    bool down = false;
    ASSERT_TRUE(xvfb->KeyDown(30 + 8, &down));
    EXPECT_TRUE(down);

    CommandResult motion = ControlPoint(
        "call urn:tundric-com:service:TvMouseInput:1 Motion CoordinateType=Absolute X=0.5 Y=0.25");
    ASSERT_EQ(motion.status, 0) << motion.output;
    int x = -1, y = -1;
    ASSERT_TRUE(xvfb->PointerPosition(&x, &y));
    EXPECT_NEAR(x, XvfbServer::kWidth / 2, 1);
    EXPECT_NEAR(y, XvfbServer::kHeight / 4, 1);

    CommandResult press = ControlPoint(
        "call urn:tundric-com:service:TvMouseInput:1 RightButtonPress CoordinateType=Relative X=0 "
        "Y=0");
    ASSERT_EQ(press.status, 0) << press.output;
    ASSERT_TRUE(xvfb->ButtonDown(3, &down));
    EXPECT_TRUE(down);

    CommandResult refused = ControlPoint("call urn:tundric-com:service:TvKeyboardInput:1 KeyPress Key=key_a");
    EXPECT_NE(refused.status, 0) << refused.output;
}
