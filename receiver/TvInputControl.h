#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "InputInjector.h"

// Axis codes of a coordinate.
constexpr int32_t kAxisAbsoluteX = 0;
constexpr int32_t kAxisAbsoluteY = 1;
constexpr int32_t kAxisRelativeX = 2;
constexpr int32_t kAxisRelativeY = 3;

struct AxisValue {
    int32_t axis;
    int32_t value;
};

// Everything that reaches the desktop's keyboard and pointer goes through
// here: one reusable record buffer, filled and sent under one lock.
class TvInputControl {
public:
    // `x_limit` and `y_limit` scale absolute coordinates. Without an injector
    // every batch is refused.
    TvInputControl(std::unique_ptr<platform::InputInjector> injector, int32_t x_limit,
                   int32_t y_limit);
    ~TvInputControl();
    TvInputControl(const TvInputControl&) = delete;
    TvInputControl& operator=(const TvInputControl&) = delete;

    // 0 when the desktop took the key record, -1 otherwise.
    int KeyboardControl(const std::string& key_name, int press);

    void Motion(bool relative, float x, float y);
    void LeftButtonPress(bool relative, float x, float y);
    void LeftButtonRelease(bool relative, float x, float y);
    void MiddelButtonPress(bool relative, float x, float y);
    void MiddelButtonRelease(bool relative, float x, float y);
    void RightButtonPress(bool relative, float x, float y);
    void RightButtonRelease(bool relative, float x, float y);
    void Accelerate(float x, float y, float z);
    void Orientate(float x, float y, float z);

    // The two axis values of a coordinate.
    std::pair<AxisValue, AxisValue> Convert(bool relative, float x, float y) const;

    const int32_t x_limit;
    const int32_t y_limit;

private:
    platform::InputRecord* Records(size_t n);  // grows only, zero-filled
    unsigned SendRecords(size_t n);
    void Button(const char* prefix, uint32_t flag, bool relative, float x, float y);

    std::mutex mutex_;  // the records and the injector serve one batch at a time
    const std::unique_ptr<platform::InputInjector> injector_;
    std::vector<platform::InputRecord> records_;
};
