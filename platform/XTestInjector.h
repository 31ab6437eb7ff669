#pragma once
#include <atomic>
#include <bitset>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "InputInjector.h"

// Xlib's Display, declared here so that users of this header do not pull in
// Xlib's macros (None, Bool, Status, ...).
struct _XDisplay;

namespace platform {

// Injects input into an X server through the XTEST extension. Key records use
// X keycode = wScan + 8 (the evdev keymap convention). Codes beyond the
// server's keycode range (the remote-control keys above 247) borrow an unused
// keycode, mapped to the evdev keysym of that code for as long as this
// injector lives; when no keycode is free they are refused.
class XTestInjector : public InputInjector {
public:
    // Connects to $DISPLAY. Null when it is unset, unreachable or lacks XTEST;
    // `why` gets a one-line reason either way.
    static std::unique_ptr<XTestInjector> Open(std::string* why);
    ~XTestInjector() override;

    XTestInjector(const XTestInjector&) = delete;
    XTestInjector& operator=(const XTestInjector&) = delete;

    unsigned Send(const InputRecord* records, unsigned count) override;
    const char* Name() const override { return "xtest"; }

    // The display name as Xlib reports it, e.g. ":99".
    std::string DisplayName() const;

private:
    explicit XTestInjector(_XDisplay* display);
    bool Deliverable(const InputRecord& record);
    // The X keycode that carries a Linux key code; 0 when none can.
    unsigned Keycode(uint16_t code);
    void Deliver(const InputRecord& record);
    void Button(unsigned button, bool press);
    static void OnConnectionLost(_XDisplay* display, void* self);

    mutable std::mutex mutex_;  // Xlib calls on one Display must not overlap
    _XDisplay* display_;
    int minKeycode_ = 8;
    int maxKeycode_ = 255;
    // What this client holds down, released on close so nothing stays stuck.
    std::bitset<256> keysDown_;
    std::bitset<4> buttonsDown_;
    // Borrowed keycodes by Linux key code, given back on close.
    std::map<uint16_t, unsigned> borrowed_;
    // Set when the X server went away; every later batch is refused.
    std::atomic<bool> lost_{false};
};

}  // namespace platform
