#pragma once
#include <memory>

#include "TvInputControl.h"
#include "UpnpAction.h"

// A sensor reading "X", "Y", "Z"; the readings are only logged.
class SensorAction : public UpnpAction {
public:
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    float x = 0;
    float y = 0;
    float z = 0;

protected:
    SensorAction(const ServiceInfo& service, const std::string& name,
                 std::shared_ptr<TvInputControl> control);
    virtual void Report(float x, float y, float z) = 0;

    const std::shared_ptr<TvInputControl> control;
};

using SensorOperation = void (TvInputControl::*)(float x, float y, float z);

// The sensor actions differ only in their name and the operation they run.
template <const char* kName, SensorOperation kOperation>
class SensorOperationAction final : public SensorAction {
public:
    SensorOperationAction(const ServiceInfo& service, std::shared_ptr<TvInputControl> control)
        : SensorAction(service, kName, std::move(control)) {}

private:
    void Report(float x, float y, float z) override { ((*control).*kOperation)(x, y, z); }
};

inline constexpr char kAccelerate[] = "Accelerate";
inline constexpr char kOrientate[] = "Orientate";

using AccelerateAction = SensorOperationAction<kAccelerate, &TvInputControl::Accelerate>;
using OrientateAction = SensorOperationAction<kOrientate, &TvInputControl::Orientate>;
