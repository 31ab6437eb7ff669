#pragma once
// Keyboard and mouse input records, laid out after the desktop input API that
// the receiver's protocol was designed around. The receiver builds these
// records; an InputInjector turns them into real input.
#include <cstdint>

namespace platform {

constexpr uint32_t kInputMouse = 0;
constexpr uint32_t kInputKeyboard = 1;

// Keyboard flags.
constexpr uint32_t kKeyEventKeyUp = 0x0002;
constexpr uint32_t kKeyEventScanCode = 0x0008;

// Mouse flags.
constexpr uint32_t kMouseEventMove = 0x0001;
constexpr uint32_t kMouseEventLeftDown = 0x0002;
constexpr uint32_t kMouseEventLeftUp = 0x0004;
constexpr uint32_t kMouseEventRightDown = 0x0008;
constexpr uint32_t kMouseEventRightUp = 0x0010;
constexpr uint32_t kMouseEventMiddleDown = 0x0020;
constexpr uint32_t kMouseEventMiddleUp = 0x0040;
constexpr uint32_t kMouseEventAbsolute = 0x8000;

// Absolute coordinates span 0..65535 on each axis, whatever the screen size.
constexpr int32_t kAbsoluteMax = 65535;

struct MouseInput {
    int32_t dx;
    int32_t dy;
    uint32_t mouseData;
    uint32_t dwFlags;
    uint32_t time;
    uint32_t dwExtraInfo;
};

struct KeyboardInput {
    uint16_t wVk;
    uint16_t wScan;  // Linux input-event key code
    uint32_t dwFlags;
    uint32_t time;
    uint32_t dwExtraInfo;
};

struct InputRecord {
    uint32_t type;
    union {
        MouseInput mi;
        KeyboardInput ki;
    };
};

// The size the protocol's callers pass along with a batch.
constexpr int kInputRecordSize = 28;

}  // namespace platform
