#include <gmock/gmock.h>

#include <cmath>
#include <limits>
#include <thread>

#include "InputMouseAction.h"
#include "MultiTouchAction.h"
#include "ReceiverTestSupport.h"
#include "TvMouseInputService.h"
#include "TvTouchscreenInputService.h"

namespace {

using testing::HasSubstr;

class PointerInput : public RecordingInjectionTest {
protected:
    void SetUp() override {
        RecordingInjectionTest::SetUp();
        service.LoadActionsFrom(LoadScpd("TvMouseInput.xml").get());
    }
    TvMouseInputService service{{"urn:tundric-com:service:TvMouseInput:1", "mi", "", "", ""},
                                control};
};

TEST_F(PointerInput, RelativeMotionTruncatesTowardZero) {
    ActionCall call("Motion", "Motion_relative.xml");
    const CapturedLog log = CaptureLog([&] { service.Dispatch(call.get()); });
    EXPECT_TRUE(call.Answered());
    ASSERT_EQ(recorder->batches.size(), 1u);
    ASSERT_EQ(recorder->batches[0].size(), 1u);
    EXPECT_EQ(Mouse(recorder->batches[0][0]), MouseFields(platform::kInputMouse, 1, 10, -3));
    EXPECT_THAT(log.out, HasSubstr("Motion: x=10.9, y=-3.7, relative=1\n"));
}

TEST_F(PointerInput, EveryOtherCoordinateTypeIsAbsolute) {
    auto& motion = dynamic_cast<InputMouseAction&>(*service.Actions().at(6));
    ActionResults results;
    for (const char* type : {"", "Absolute", "relative", "Relative "}) {
        recorder->batches.clear();
        motion.coordinate_type = type;
        motion.x = motion.y = 0.5f;
        CaptureLog([&] { motion.ProcessRequest("", results); });
        ASSERT_EQ(recorder->batches.size(), 1u) << type;
        EXPECT_EQ(Mouse(recorder->batches[0][0]), MouseFields(0, 0x8001, 959, 539)) << type;
    }
}

TEST_F(PointerInput, ButtonMovesThenChangesStateInOneBatch) {
    ActionCall call("LeftButtonPress", "LeftButtonPress_absolute.xml");
    const CapturedLog log = CaptureLog([&] { service.Dispatch(call.get()); });
    ASSERT_EQ(recorder->batches.size(), 1u);
    const auto& batch = recorder->batches[0];
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(Mouse(batch[0]), MouseFields(0, 0x8001, 479, 809));  // 1919 * 0.25, 1079 * 0.75
    EXPECT_EQ(Mouse(batch[1]), MouseFields(0, 2, 0, 0));
    EXPECT_THAT(log.out, HasSubstr("LeftButtonPress: x=0.25, y=0.75, relative=0\n"));
}

// Out-of-range values must not reach an undefined float-to-int conversion.
TEST_F(PointerInput, ScaledCoordinatesStayInRange) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    const TvInputControl unset_ranges(nullptr, -1, -1);  // the default ranges scale by -1
    const auto values = [&](bool relative, float x, float y) {
        const auto [first, second] = unset_ranges.Convert(relative, x, y);
        return std::pair(first.value, second.value);
    };
    EXPECT_EQ(values(false, 3.0f, 0.5f), std::pair(-3, 0));
    EXPECT_EQ(values(false, -1e30f, 1e30f), std::pair(kMax, kMin));
    EXPECT_EQ(values(true, std::nanf(""), 1e10f), std::pair(0, kMax));
}

// Concurrent actions share one buffer: each batch must stay whole.
TEST_F(PointerInput, ConcurrentButtonsDoNotInterleave) {
    const auto press = [&](void (TvInputControl::*button)(bool, float, float), float at) {
        for (int i = 0; i < 300; ++i) ((*control).*button)(true, at, at);
    };
    CaptureLog([&] {
        std::thread left(press, &TvInputControl::LeftButtonPress, 1.0f);
        std::thread right(press, &TvInputControl::RightButtonPress, 2.0f);
        left.join();
        right.join();
    });
    ASSERT_EQ(recorder->batches.size(), 600u);
    for (const auto& batch : recorder->batches) {
        ASSERT_EQ(batch.size(), 2u);
        const int32_t at = batch[1].mi.dwFlags == platform::kMouseEventLeftDown ? 1 : 2;
        EXPECT_EQ(Mouse(batch[0]), MouseFields(0, 1, at, at));
    }
}

TEST(TouchInput, ListsMustMatchUnlessOneIsEmpty) {
    TvTouchscreenInputService service{{"urn:tundric-com:service:TvTouchInput:1", "ti", "", "", ""}};
    service.LoadActionsFrom(LoadScpd("TvTouchInput.xml").get());
    for (const char* fixture : {"MultiTouch_unequal.xml", "MultiTouch_double_space.xml"}) {
        ActionCall call("MultiTouch", fixture);
        CaptureLog([&] { service.Dispatch(call.get()); });
        EXPECT_EQ(call.ErrorCode(), 402) << fixture;
        EXPECT_EQ(call.ErrorText(), "Invalid soap param") << fixture;
    }
    ActionCall equal("MultiTouch", "MultiTouch_equal.xml");
    EXPECT_EQ(CaptureLog([&] { service.Dispatch(equal.get()); }).out, "");
    ActionCall empty("MultiTouch", "MultiTouch_empty_x.xml");
    EXPECT_THAT(CaptureLog([&] { service.Dispatch(empty.get()); }).out,
                HasSubstr("MultiTouchLeft\n"));
    EXPECT_TRUE(equal.Answered() && empty.Answered());
    for (const char* bad : {" 0.1", "0.1 ", "0.1 x", "0.1,0.2"})
        EXPECT_FALSE(MultiTouchAction::ParseList(bad)) << bad;
}

}  // namespace
