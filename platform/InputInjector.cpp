#include "InputInjector.h"

#include "UinputInjector.h"
#include "XTestInjector.h"

namespace platform {

namespace {

constexpr uint32_t kKeyEventExtendedKey = 0x0001;  // meaningless for Linux key codes

constexpr uint32_t kKnownMouseFlags =
    kMouseEventMove | kMouseEventAbsolute | kMouseEventLeftDown | kMouseEventLeftUp |
    kMouseEventRightDown | kMouseEventRightUp | kMouseEventMiddleDown | kMouseEventMiddleUp;

}  // namespace

bool IsSupportedRecord(const InputRecord& record) {
    if (record.type == kInputKeyboard) {
        const uint32_t flags = record.ki.dwFlags;
        // Without the scan-code flag the key would be named by wVk, which has
        // no mapping here; the unicode flag (4) is refused for the same reason.
        if ((flags & ~(kKeyEventScanCode | kKeyEventKeyUp | kKeyEventExtendedKey)) != 0)
            return false;
        return (flags & kKeyEventScanCode) != 0 && record.ki.wScan != 0;
    }
    if (record.type == kInputMouse)
        return (record.mi.dwFlags & ~kKnownMouseFlags) == 0;
    return false;
}

unsigned RecordingInjector::Send(const InputRecord* records, unsigned count) {
    if (records == nullptr)
        count = 0;
    batches.emplace_back(records, records + count);
    return accept ? count : 0;
}

std::unique_ptr<InputInjector> CreateInputInjector(std::string* why) {
    std::string xWhy;
    if (auto xtest = XTestInjector::Open(&xWhy)) {
        if (why)
            *why = xWhy;
        return xtest;
    }
    std::string uWhy;
    if (auto uinput = UinputInjector::Open(&uWhy)) {
        if (why)
            *why = "uinput: " + xWhy;
        return uinput;
    }
    if (why)
        *why = "no input backend: " + xWhy + " and " + uWhy;
    return std::make_unique<NullInjector>();
}

}  // namespace platform
