#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

struct _XDisplay;

// A private Xvfb (1024x768x24, unix sockets only) on the first free display
// number from 90 up, for tests that need a real X server. The constructor
// waits until the server accepts connections; the destructor stops it.
// Must be created and destroyed on the same thread: the server is asked to die
// with the thread that started it, so a crashed test leaves nothing behind.
class XvfbServer {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    // Whether an Xvfb binary is on PATH.
    static bool Installed();

    // `extraArgs` are appended to the command line, e.g. {"-extension", "XTEST"}.
    explicit XvfbServer(std::vector<std::string> extraArgs = {});
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Running() const;
    std::string Display() const;  // ":N"
    const std::string& Error() const { return error_; }  // why it is not running

    // Server state, read over the helper's own connection. False on failure.
    bool PointerPosition(int* x, int* y) const;
    bool ButtonDown(unsigned button, bool* down) const;  // 1 left, 2 middle, 3 right
    bool KeyDown(unsigned keycode, bool* down) const;
    // The keycode the server maps to `keysym` now (asked over a fresh
    // connection, whose keymap is current); 0 when none.
    unsigned KeycodeOf(unsigned long keysym) const;

private:
    bool Start(int number, const std::string& binary, const std::vector<std::string>& extraArgs);
    void Stop();

    pid_t pid_ = -1;
    int number_ = -1;
    _XDisplay* observer_ = nullptr;
    std::string error_;
};
