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

// Whether the record's type and flags are ones the injectors can deliver:
// keyboard records must carry the scan-code flag (wScan is the key), mouse
// records may carry only move, absolute and the left/right/middle button
// flags. Backends refuse a batch holding any other record before injecting
// anything, so a refused batch never leaves half its input behind.
bool IsSupportedRecord(const InputRecord& record);

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

    // Refused batches are recorded too, so tests can see what was attempted.
    std::vector<std::vector<InputRecord>> batches;
    bool accept = true;  // false: refuse batches as a busy desktop would
};

}  // namespace platform
