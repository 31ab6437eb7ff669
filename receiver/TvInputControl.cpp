#include "TvInputControl.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "KeyNames.h"
#include "TvCommon.h"

using platform::InputRecord;

namespace {

// A float-to-int conversion outside the int32 range is undefined; a client's
// coordinate must never reach one.
int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    const double truncated = std::trunc(value);
    if (truncated >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (truncated <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(truncated);
}

void FillMove(InputRecord& record, const std::pair<AxisValue, AxisValue>& axes) {
    record.type = platform::kInputMouse;
    record.mi.dwFlags = platform::kMouseEventMove;
    for (const AxisValue& axis : {axes.first, axes.second}) {
        switch (axis.axis) {
            case kAxisAbsoluteX:
                record.mi.dx = axis.value;
                record.mi.dwFlags = platform::kMouseEventMove | platform::kMouseEventAbsolute;
                break;
            case kAxisAbsoluteY:
                record.mi.dy = axis.value;
                record.mi.dwFlags = platform::kMouseEventMove | platform::kMouseEventAbsolute;
                break;
            case kAxisRelativeX:
                record.mi.dx = axis.value;
                break;
            case kAxisRelativeY:
                record.mi.dy = axis.value;
                break;
            default:
                break;
        }
    }
}

}  // namespace

TvInputControl::TvInputControl(std::unique_ptr<platform::InputInjector> injector,
                               int32_t x_limit, int32_t y_limit)
    : x_limit(x_limit), y_limit(y_limit), injector_(std::move(injector)) {}

TvInputControl::~TvInputControl() = default;

InputRecord* TvInputControl::Records(size_t n) {
    if (records_.size() < n) records_.resize(n);
    std::memset(records_.data(), 0, n * sizeof(InputRecord));
    return records_.data();
}

unsigned TvInputControl::SendRecords(size_t n) {
    if (!injector_) return 0;
    return injector_->Send(records_.data(), static_cast<unsigned>(n));
}

int TvInputControl::KeyboardControl(const std::string& key_name, int press) {
    const std::optional<int32_t> code = KeyCodeByName(key_name);
    if (!code) {
        LogLine(TvCommonLog(), LogLevel::Error)
            << "Unknown keyboard: " << LogSafe(key_name) << ", press: " << press;
        return -1;
    }
    unsigned sent = 0;
    {
        std::lock_guard lock(mutex_);
        InputRecord& record = Records(1)[0];
        record.type = platform::kInputKeyboard;
        record.ki.wVk = 0;
        record.ki.wScan = static_cast<uint16_t>(*code);
        record.ki.dwFlags = press ? platform::kKeyEventScanCode
                                  : platform::kKeyEventScanCode | platform::kKeyEventKeyUp;
        sent = SendRecords(1);
    }
    const int ret = sent == 1 ? 0 : -1;
    LogLine(TvCommonLog(), LogLevel::Silent) << "KeyboardControl: "
                                             << "key_name=" << key_name << ", "
                                             << "key=" << *code << ", "
                                             << "press=" << press << ", "
                                             << "ret=" << ret;
    return ret;
}

std::pair<AxisValue, AxisValue> TvInputControl::Convert(bool relative, float x, float y) const {
    if (relative) {
        return {{kAxisRelativeX, TruncateToInt32(x)}, {kAxisRelativeY, TruncateToInt32(y)}};
    }
    return {{kAxisAbsoluteX, TruncateToInt32(static_cast<double>(x_limit) * x)},
            {kAxisAbsoluteY, TruncateToInt32(static_cast<double>(y_limit) * y)}};
}

void TvInputControl::Motion(bool relative, float x, float y) {
    LogLine(TvCommonLog(), LogLevel::Silent)
        << "Motion: x=" << x << ", y=" << y << ", relative=" << (relative ? 1 : 0);
    const auto axes = Convert(relative, x, y);
    std::lock_guard lock(mutex_);
    FillMove(Records(1)[0], axes);
    SendRecords(1);
}

void TvInputControl::Button(const char* prefix, uint32_t flag, bool relative, float x, float y) {
    LogLine(TvCommonLog(), LogLevel::Silent)
        << prefix << x << ", y=" << y << ", relative=" << (relative ? 1 : 0);
    const auto axes = Convert(relative, x, y);
    std::lock_guard lock(mutex_);
    InputRecord* records = Records(2);
    FillMove(records[0], axes);
    records[1].type = platform::kInputMouse;
    records[1].mi.dwFlags = flag;
    SendRecords(2);
}

void TvInputControl::LeftButtonPress(bool relative, float x, float y) {
    Button("LeftButtonPress: x=", platform::kMouseEventLeftDown, relative, x, y);
}

void TvInputControl::LeftButtonRelease(bool relative, float x, float y) {
    Button("LeftButtonRelease: x=", platform::kMouseEventLeftUp, relative, x, y);
}

void TvInputControl::MiddelButtonPress(bool relative, float x, float y) {
    Button("MiddelButtonPress: x=", platform::kMouseEventMiddleDown, relative, x, y);
}

void TvInputControl::MiddelButtonRelease(bool relative, float x, float y) {
    Button("MiddelButtonRelease: x=", platform::kMouseEventMiddleUp, relative, x, y);
}

void TvInputControl::RightButtonPress(bool relative, float x, float y) {
    Button("RightButtonPress: x=", platform::kMouseEventRightDown, relative, x, y);
}

void TvInputControl::RightButtonRelease(bool relative, float x, float y) {
    Button("RightButtonRelease: x=", platform::kMouseEventRightUp, relative, x, y);
}

void TvInputControl::Accelerate(float x, float y, float z) {
    LogLine(TvCommonLog(), LogLevel::Info) << "Accelerate: x=" << x << ", y=" << y << ", z=" << z;
}

void TvInputControl::Orientate(float x, float y, float z) {
    LogLine(TvCommonLog(), LogLevel::Info) << "Orientate: x=" << x << ", y=" << y << ", z=" << z;
}
