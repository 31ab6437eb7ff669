#pragma once
#include <linux/input-event-codes.h>

#include <bitset>
#include <memory>
#include <mutex>
#include <string>

#include "InputInjector.h"

struct libevdev;
struct libevdev_uinput;

namespace platform {

// Injects input through one kernel virtual device (keyboard keys, left/right/
// middle buttons, relative and 0..65535 absolute pointer axes), created once
// and kept for the injector's lifetime. Works without any display server.
class UinputInjector : public InputInjector {
public:
    // Null when /dev/uinput cannot be opened or the device cannot be created;
    // `why` gets a one-line reason either way.
    static std::unique_ptr<UinputInjector> Open(std::string* why);
    ~UinputInjector() override;

    UinputInjector(const UinputInjector&) = delete;
    UinputInjector& operator=(const UinputInjector&) = delete;

    unsigned Send(const InputRecord* records, unsigned count) override;
    const char* Name() const override { return "uinput"; }

    // /dev/input/eventN of the virtual device, empty when unknown.
    std::string DevNode() const;

private:
    UinputInjector(libevdev* device, libevdev_uinput* uinput, std::bitset<KEY_CNT> keys);
    bool Deliverable(const InputRecord& record) const;
    bool Deliver(const InputRecord& record);
    bool Write(unsigned type, unsigned code, int value);

    mutable std::mutex mutex_;  // keeps one record's events in one piece
    libevdev* device_;
    libevdev_uinput* uinput_;
    std::bitset<KEY_CNT> keys_;  // keyboard codes the device announces
};

}  // namespace platform
