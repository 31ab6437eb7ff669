#include "UinputInjector.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

constexpr const char* kUinputPath = "/dev/uinput";
constexpr const char* kDeviceName = "Halvorn virtual input";

// Keyboard key codes, leaving out the ranges the kernel reserves for mouse,
// joystick, tablet and d-pad buttons: announcing those would make desktops
// treat the device as a joystick or tablet.
bool IsKeyboardCode(unsigned code) {
    return (code >= KEY_ESC && code < BTN_MISC) ||
           (code >= KEY_OK && code < BTN_DPAD_UP) ||
           (code >= KEY_ALS_TOGGLE && code < BTN_TRIGGER_HAPPY);
}

std::string Errno(int error) { return std::strerror(error); }

}  // namespace

std::unique_ptr<UinputInjector> UinputInjector::Open(std::string* why) {
    auto fail = [why](std::string reason) {
        if (why)
            *why = std::move(reason);
        return nullptr;
    };

    // Opened once by hand only to tell "cannot open" apart from "cannot create".
    const int probe = ::open(kUinputPath, O_RDWR | O_CLOEXEC);
    if (probe < 0)
        return fail(std::string(kUinputPath) + " cannot be opened (" + Errno(errno) + ")");
    ::close(probe);

    libevdev* device = libevdev_new();
    if (device == nullptr)
        return fail("uinput: out of memory");
    libevdev_set_name(device, kDeviceName);
    libevdev_set_id_bustype(device, BUS_VIRTUAL);

    std::bitset<KEY_CNT> keys;
    for (unsigned code = 1; code <= KEY_MAX; ++code) {
        if (IsKeyboardCode(code) && libevdev_event_code_get_name(EV_KEY, code) != nullptr &&
            libevdev_enable_event_code(device, EV_KEY, code, nullptr) == 0)
            keys[code] = true;
    }
    for (unsigned button : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE})
        libevdev_enable_event_code(device, EV_KEY, button, nullptr);
    libevdev_enable_event_code(device, EV_REL, REL_X, nullptr);
    libevdev_enable_event_code(device, EV_REL, REL_Y, nullptr);
    input_absinfo axis{};
    axis.minimum = 0;
    axis.maximum = kAbsoluteMax;
    libevdev_enable_event_code(device, EV_ABS, ABS_X, &axis);
    libevdev_enable_event_code(device, EV_ABS, ABS_Y, &axis);

    libevdev_uinput* uinput = nullptr;
    const int rc = libevdev_uinput_create_from_device(device, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput);
    if (rc < 0) {
        libevdev_free(device);
        return fail("uinput device cannot be created (" + Errno(-rc) + ")");
    }
    std::unique_ptr<UinputInjector> injector(new UinputInjector(device, uinput, keys));
    const std::string node = injector->DevNode();
    if (why)
        *why = "uinput device " + (node.empty() ? std::string(kDeviceName) : node);
    return injector;
}

UinputInjector::UinputInjector(libevdev* device, libevdev_uinput* uinput,
                               std::bitset<KEY_CNT> keys)
    : device_(device), uinput_(uinput), keys_(keys) {}

UinputInjector::~UinputInjector() {
    // Destroying the device makes the kernel release whatever it holds down.
    libevdev_uinput_destroy(uinput_);
    libevdev_free(device_);
}

std::string UinputInjector::DevNode() const {
    const char* node = libevdev_uinput_get_devnode(uinput_);
    return node ? node : "";
}

bool UinputInjector::Deliverable(const InputRecord& record) const {
    if (!IsSupportedRecord(record))
        return false;
    if (record.type == kInputKeyboard)
        return record.ki.wScan < keys_.size() && keys_[record.ki.wScan];
    return true;
}

bool UinputInjector::Write(unsigned type, unsigned code, int value) {
    return libevdev_uinput_write_event(uinput_, type, code, value) == 0;
}

bool UinputInjector::Deliver(const InputRecord& record) {
    if (record.type == kInputKeyboard) {
        const int value = (record.ki.dwFlags & kKeyEventKeyUp) ? 0 : 1;
        return Write(EV_KEY, record.ki.wScan, value) && Write(EV_SYN, SYN_REPORT, 0);
    }

    const MouseInput& mi = record.mi;
    bool ok = true;
    if (mi.dwFlags & kMouseEventMove) {
        if (mi.dwFlags & kMouseEventAbsolute) {
            ok = ok && Write(EV_ABS, ABS_X, std::clamp<int32_t>(mi.dx, 0, kAbsoluteMax));
            ok = ok && Write(EV_ABS, ABS_Y, std::clamp<int32_t>(mi.dy, 0, kAbsoluteMax));
        } else {
            if (mi.dx != 0) ok = ok && Write(EV_REL, REL_X, mi.dx);
            if (mi.dy != 0) ok = ok && Write(EV_REL, REL_Y, mi.dy);
        }
        ok = ok && Write(EV_SYN, SYN_REPORT, 0);
    }
    // One report per button change, so a press and release in the same record
    // are not folded into a single frame.
    const struct {
        uint32_t flag;
        unsigned code;
        int value;
    } buttons[] = {
        {kMouseEventLeftDown, BTN_LEFT, 1},     {kMouseEventLeftUp, BTN_LEFT, 0},
        {kMouseEventRightDown, BTN_RIGHT, 1},   {kMouseEventRightUp, BTN_RIGHT, 0},
        {kMouseEventMiddleDown, BTN_MIDDLE, 1}, {kMouseEventMiddleUp, BTN_MIDDLE, 0},
    };
    for (const auto& button : buttons) {
        if (mi.dwFlags & button.flag)
            ok = ok && Write(EV_KEY, button.code, button.value) && Write(EV_SYN, SYN_REPORT, 0);
    }
    return ok;
}

unsigned UinputInjector::Send(const InputRecord* records, unsigned count) {
    if (records == nullptr || count == 0)
        return 0;
    std::lock_guard lock(mutex_);
    // Check the whole batch first so a refused batch injects nothing.
    for (unsigned i = 0; i < count; ++i) {
        if (!Deliverable(records[i]))
            return 0;
    }
    for (unsigned i = 0; i < count; ++i) {
        if (!Deliver(records[i]))
            return 0;
    }
    return count;
}

}  // namespace platform
