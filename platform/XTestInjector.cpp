#include "XTestInjector.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

constexpr int kKeycodeOffset = 8;  // X keycode = Linux key code + 8
// Keysyms of evdev key codes that X keycodes cannot reach (X11/XF86keysym.h).
constexpr unsigned long kEvdevKeysymBase = 0x10081000;

// Maps 0..65535 onto 0..size-1, rounded to the nearest pixel.
int ScaleAbsolute(int32_t value, unsigned size) {
    const int64_t clamped = std::clamp<int64_t>(value, 0, kAbsoluteMax);
    const int64_t span = size > 0 ? size - 1 : 0;
    return static_cast<int>((clamped * span + kAbsoluteMax / 2) / kAbsoluteMax);
}

// The wire carries relative motion as 16-bit values.
int ClampRelative(int32_t value) {
    return std::clamp<int32_t>(value, INT16_MIN, INT16_MAX);
}

}  // namespace

std::unique_ptr<XTestInjector> XTestInjector::Open(std::string* why) {
    std::string reason;
    const char* name = std::getenv("DISPLAY");
    std::unique_ptr<XTestInjector> injector;
    if (name == nullptr || *name == '\0') {
        reason = "no X display (DISPLAY is not set)";
    } else if (Display* display = XOpenDisplay(nullptr); display == nullptr) {
        reason = std::string("no X display (cannot open ") + name + ")";
    } else {
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
            reason = std::string("X display ") + DisplayString(display) +
                     " has no XTEST extension";
            XCloseDisplay(display);
        } else {
            injector.reset(new XTestInjector(display));
            reason = "XTest on display " + injector->DisplayName();
        }
    }
    if (why)
        *why = reason;
    return injector;
}

XTestInjector::XTestInjector(_XDisplay* display) : display_(display) {
    XDisplayKeycodes(display_, &minKeycode_, &maxKeycode_);
    // Xlib ends the process when the connection breaks, in its default
    // handler and again in its exit handler; a receiver must outlive the
    // desktop session it was injecting into. The first handler is
    // process-wide, but this process uses Xlib for nothing else.
    static std::once_flag quiet;
    std::call_once(quiet, [] { XSetIOErrorHandler([](Display*) { return 0; }); });
    XSetIOErrorExitHandler(display_, &XTestInjector::OnConnectionLost, this);
}

void XTestInjector::OnConnectionLost(_XDisplay*, void* self) {
    static_cast<XTestInjector*>(self)->lost_ = true;
}

XTestInjector::~XTestInjector() {
    std::lock_guard lock(mutex_);
    if (lost_) {
        XCloseDisplay(display_);
        return;
    }
    for (size_t keycode = 0; keycode < keysDown_.size(); ++keycode) {
        if (keysDown_[keycode])
            XTestFakeKeyEvent(display_, static_cast<unsigned>(keycode), False, CurrentTime);
    }
    for (unsigned button = 1; button < buttonsDown_.size(); ++button) {
        if (buttonsDown_[button])
            XTestFakeButtonEvent(display_, button, False, CurrentTime);
    }
    // Give borrowed keycodes back to the session's keymap.
    for (const auto& [code, keycode] : borrowed_) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(display_, static_cast<int>(keycode), 1, &none, 1);
    }
    XSync(display_, False);
    XCloseDisplay(display_);
}

std::string XTestInjector::DisplayName() const {
    std::lock_guard lock(mutex_);
    return DisplayString(display_);
}

unsigned XTestInjector::Keycode(uint16_t code) {
    const int direct = code + kKeycodeOffset;
    if (direct >= minKeycode_ && direct <= maxKeycode_)
        return static_cast<unsigned>(direct);
    if (auto it = borrowed_.find(code); it != borrowed_.end())
        return it->second;
    // Borrow the highest keycode that has no symbols and is not lent yet.
    int per_keycode = 0;
    const int count = maxKeycode_ - minKeycode_ + 1;
    KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode_), count,
                                      &per_keycode);
    if (map == nullptr)
        return 0;
    unsigned spare = 0;
    for (int keycode = maxKeycode_; keycode >= minKeycode_ && spare == 0; --keycode) {
        const KeySym* syms = map + (keycode - minKeycode_) * per_keycode;
        const bool empty = std::all_of(syms, syms + per_keycode,
                                       [](KeySym sym) { return sym == NoSymbol; });
        const bool lent = std::any_of(borrowed_.begin(), borrowed_.end(),
                                      [&](const auto& entry) { return entry.second == unsigned(keycode); });
        if (empty && !lent)
            spare = static_cast<unsigned>(keycode);
    }
    XFree(map);
    if (spare == 0)
        return 0;
    KeySym sym = kEvdevKeysymBase + code;
    XChangeKeyboardMapping(display_, static_cast<int>(spare), 1, &sym, 1);
    XSync(display_, False);
    borrowed_[code] = spare;
    return spare;
}

bool XTestInjector::Deliverable(const InputRecord& record) {
    if (!IsSupportedRecord(record))
        return false;
    // A keycode outside the server's range would draw a BadValue error,
    // which Xlib's default handler turns into exit().
    if (record.type == kInputKeyboard)
        return Keycode(record.ki.wScan) != 0;
    return true;
}

void XTestInjector::Button(unsigned button, bool press) {
    XTestFakeButtonEvent(display_, button, press ? True : False, CurrentTime);
    buttonsDown_[button] = press;
}

void XTestInjector::Deliver(const InputRecord& record) {
    if (record.type == kInputKeyboard) {
        const unsigned keycode = Keycode(record.ki.wScan);
        const bool press = (record.ki.dwFlags & kKeyEventKeyUp) == 0;
        XTestFakeKeyEvent(display_, keycode, press ? True : False, CurrentTime);
        keysDown_[keycode] = press;
        return;
    }

    const MouseInput& mi = record.mi;
    if (mi.dwFlags & kMouseEventMove) {
        if (mi.dwFlags & kMouseEventAbsolute) {
            // Asked each time: the screen may have been resized since open.
            const int screen = DefaultScreen(display_);
            Window root = 0;
            int x = 0, y = 0;
            unsigned width = 0, height = 0, border = 0, depth = 0;
            if (!XGetGeometry(display_, RootWindow(display_, screen), &root, &x, &y, &width,
                              &height, &border, &depth)) {
                width = static_cast<unsigned>(DisplayWidth(display_, screen));
                height = static_cast<unsigned>(DisplayHeight(display_, screen));
            }
            XTestFakeMotionEvent(display_, screen, ScaleAbsolute(mi.dx, width),
                                 ScaleAbsolute(mi.dy, height), CurrentTime);
        } else {
            XTestFakeRelativeMotionEvent(display_, ClampRelative(mi.dx), ClampRelative(mi.dy),
                                         CurrentTime);
        }
    }
    // Same order as the flag bits: a record may both press and release.
    if (mi.dwFlags & kMouseEventLeftDown) Button(1, true);
    if (mi.dwFlags & kMouseEventLeftUp) Button(1, false);
    if (mi.dwFlags & kMouseEventRightDown) Button(3, true);
    if (mi.dwFlags & kMouseEventRightUp) Button(3, false);
    if (mi.dwFlags & kMouseEventMiddleDown) Button(2, true);
    if (mi.dwFlags & kMouseEventMiddleUp) Button(2, false);
}

unsigned XTestInjector::Send(const InputRecord* records, unsigned count) {
    if (records == nullptr || count == 0 || lost_)
        return 0;
    std::lock_guard lock(mutex_);
    // Check the whole batch first so a refused batch injects nothing.
    for (unsigned i = 0; i < count; ++i) {
        if (!Deliverable(records[i]))
            return 0;
    }
    for (unsigned i = 0; i < count; ++i)
        Deliver(records[i]);
    XSync(display_, False);
    return lost_ ? 0 : count;
}

}  // namespace platform
