#include <gmock/gmock.h>

#include "KeyNames.h"
#include "ReceiverTestSupport.h"
#include "TvKeyboardInputService.h"

namespace {

using testing::HasSubstr;

TEST(KeyNames, AreMatchedExactly) {
    EXPECT_EQ(KeyNames().size(), 155u);
    EXPECT_EQ(KeyNames().count(84), 0u);
    EXPECT_EQ(KeyCodeByName("KEY_A"), 30);
    EXPECT_EQ(KeyCodeByName("KEY_UP"), 103);
    EXPECT_EQ(KeyCodeByName("LEFT"), 105);
    EXPECT_EQ(KeyCodeByName("RIGHT"), 106);
    EXPECT_EQ(KeyCodeByName("DOWN"), 108);
    for (const char* unknown : {"KEY_LEFT", "KEY_DOWN", "key_a", "KEY_A ", ""})
        EXPECT_FALSE(KeyCodeByName(unknown)) << unknown;
}

class KeyboardInput : public RecordingInjectionTest {
protected:
    void SetUp() override {
        RecordingInjectionTest::SetUp();
        service.LoadActionsFrom(LoadScpd("TvKeyboardInput.xml").get());
    }
    TvKeyboardInputService service{{"urn:tundric-com:service:TvKeyboardInput:1", "kb", "", "", ""},
                                   control};
};

TEST_F(KeyboardInput, PressAndReleaseSendOneScanCodeRecordEach) {
    ASSERT_EQ(service.Actions().size(), 2u);  // "KeyToggle" is not created
    ActionCall press("KeyPress", "KeyPress_KEY_A.xml");
    ActionCall release("KeyRelease", "KeyRelease_KEY_A.xml");
    const CapturedLog log = CaptureLog([&] {
        service.Dispatch(press.get());
        service.Dispatch(release.get());
    });
    EXPECT_TRUE(press.Answered() && release.Answered());
    ASSERT_EQ(recorder->batches.size(), 2u);
    ASSERT_EQ(recorder->batches[0].size(), 1u);
    ASSERT_EQ(recorder->batches[1].size(), 1u);
    EXPECT_EQ(Key(recorder->batches[0][0]), KeyFields(platform::kInputKeyboard, 0, 30, 8));
    EXPECT_EQ(Key(recorder->batches[1][0]), KeyFields(platform::kInputKeyboard, 0, 30, 10));
    EXPECT_THAT(log.out, HasSubstr("KeyboardControl: key_name=KEY_A, key=30, press=1, ret=0\n"));
    EXPECT_THAT(log.out, HasSubstr("KeyboardControl: key_name=KEY_A, key=30, press=0, ret=0\n"));
}

TEST_F(KeyboardInput, UnknownNameFailsWithoutInjecting) {
    ActionCall call("KeyPress", "KeyPress_KEY_LEFT.xml");
    const CapturedLog log = CaptureLog([&] { service.Dispatch(call.get()); });
    EXPECT_EQ(call.ErrorCode(), -1);
    EXPECT_EQ(call.ErrorText(), "Invalid parameter.");
    EXPECT_TRUE(recorder->batches.empty());
    EXPECT_THAT(log.err, HasSubstr("Unknown keyboard: KEY_LEFT, press: 1\n"));
}

TEST_F(KeyboardInput, DirectCallsSendCodeUnchangedAndReportRefusal) {
    recorder->accept = false;
    const CapturedLog log =
        CaptureLog([&] { EXPECT_EQ(control->KeyboardControl("SI_KEY_FN_F5", 0), -1); });
    ASSERT_EQ(recorder->batches.size(), 1u);  // refused batches are recorded too
    EXPECT_EQ(Key(recorder->batches[0][0]), KeyFields(platform::kInputKeyboard, 0, 470, 10));
    EXPECT_THAT(log.out, HasSubstr("key_name=SI_KEY_FN_F5, key=470, press=0, ret=-1\n"));
}

// The buffer is shared with the pointer path: a key record must not inherit
// fields of the mouse records built in it before.
TEST_F(KeyboardInput, KeyRecordAfterMouseRecordsIsClean) {
    CaptureLog([&] {
        control->RightButtonPress(false, 0.5f, 0.5f);
        control->KeyboardControl("KEY_A", 1);
    });
    ASSERT_EQ(recorder->batches.size(), 2u);
    const platform::KeyboardInput& key = recorder->batches[1].at(0).ki;
    EXPECT_EQ(key.time, 0u);
    EXPECT_EQ(key.dwExtraInfo, 0u);
}

}  // namespace
