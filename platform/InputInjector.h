#pragma once
#include <memory>
#include <string>
#include <vector>

#include "InputRecord.h"

namespace platform {

// Delivers a batch of input records to the desktop. Send returns how many
// records were inserted (all of them, or 0 when the batch was refused), as the
// desktop input API does. Callers serialise batches; implementations need not.
class InputInjector {
public:
    virtual ~InputInjector() = default;
    virtual unsigned Send(const InputRecord* records, unsigned count) = 0;
    virtual const char* Name() const = 0;
};

// XTest when an X display is reachable, else uinput when /dev/uinput opens,
// else an injector that refuses every batch. `why` receives a one-line
// explanation of the choice, fit for a log line.
std::unique_ptr<InputInjector> CreateInputInjector(std::string* why);

// Refuses every batch: no desktop to reach.
class NullInjector : public InputInjector {
public:
    unsigned Send(const InputRecord*, unsigned) override { return 0; }
    const char* Name() const override { return "none"; }
};

// Keeps every batch for inspection; tests use it.
class RecordingInjector : public InputInjector {
public:
    unsigned Send(const InputRecord* records, unsigned count) override;
    const char* Name() const override { return "recording"; }

    std::vector<std::vector<InputRecord>> batches;
    bool accept = true;  // false: refuse batches as a busy desktop would
};

}  // namespace platform
