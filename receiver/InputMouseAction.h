#pragma once
#include <memory>

#include "TvInputControl.h"
#include "UpnpAction.h"

// A pointer action: "CoordinateType", "X" and "Y" in, one TvInputControl
// operation out. Injection failures are not reported to the client.
class InputMouseAction : public UpnpAction {
public:
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    std::string coordinate_type;
    float x = 0;
    float y = 0;

protected:
    InputMouseAction(const ServiceInfo& service, const std::string& name,
                     std::shared_ptr<TvInputControl> control);
    // The button operation; relative is true only for exactly "Relative".
    virtual void Operate(bool relative, float x, float y) = 0;

    const std::shared_ptr<TvInputControl> control;
};

using MouseOperation = void (TvInputControl::*)(bool relative, float x, float y);

// The pointer actions differ only in their name and the operation they run.
template <const char* kName, MouseOperation kOperation>
class MouseOperationAction final : public InputMouseAction {
public:
    MouseOperationAction(const ServiceInfo& service, std::shared_ptr<TvInputControl> control)
        : InputMouseAction(service, kName, std::move(control)) {}

private:
    void Operate(bool relative, float x, float y) override {
        ((*control).*kOperation)(relative, x, y);
    }
};

inline constexpr char kLeftButtonPress[] = "LeftButtonPress";
inline constexpr char kLeftButtonRelease[] = "LeftButtonRelease";
inline constexpr char kMiddleButtonPress[] = "MiddleButtonPress";
inline constexpr char kMiddleButtonRelease[] = "MiddleButtonRelease";
inline constexpr char kRightButtonPress[] = "RightButtonPress";
inline constexpr char kRightButtonRelease[] = "RightButtonRelease";
inline constexpr char kMotion[] = "Motion";

using LeftButtonPressAction =
    MouseOperationAction<kLeftButtonPress, &TvInputControl::LeftButtonPress>;
using LeftButtonReleaseAction =
    MouseOperationAction<kLeftButtonRelease, &TvInputControl::LeftButtonRelease>;
using MiddleButtonPressAction =
    MouseOperationAction<kMiddleButtonPress, &TvInputControl::MiddelButtonPress>;
using MiddleButtonReleaseAction =
    MouseOperationAction<kMiddleButtonRelease, &TvInputControl::MiddelButtonRelease>;
using RightButtonPressAction =
    MouseOperationAction<kRightButtonPress, &TvInputControl::RightButtonPress>;
using RightButtonReleaseAction =
    MouseOperationAction<kRightButtonRelease, &TvInputControl::RightButtonRelease>;
using MouseMotionAction = MouseOperationAction<kMotion, &TvInputControl::Motion>;
