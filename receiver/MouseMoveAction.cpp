#include "MouseMoveAction.h"

#include "TvCommon.h"

MouseMoveAction::MouseMoveAction(const ServiceInfo& service,
                                 std::shared_ptr<TvMouseControlControl> control)
    : UpnpAction(service, "MouseMove"), control_(std::move(control)) {
    AddInput("X", &x);
    AddInput("Y", &y);
}

int MouseMoveAction::ProcessRequest(const std::string&, ActionResults&) {
    control_->SendKey("MO:" + std::to_string(x) + "," + std::to_string(y));
    return 0;
}

MouseMoveExAction::MouseMoveExAction(const ServiceInfo& service,
                                     std::shared_ptr<TvMouseControlControl> control)
    : UpnpAction(service, "MouseMoveEx"), control_(std::move(control)) {
    AddInput("X", &x);
    AddInput("Y", &y);
    AddInput("Z", &z);
}

int MouseMoveExAction::ProcessRequest(const std::string&, ActionResults&) {
    LogLine(TvCommonLog(), LogLevel::Info) << "MouseMoveEx: " << x << ", " << y << ", " << z;
    control_->SendKey("MO:" + std::to_string(x) + "," + std::to_string(y) + "," +
                      std::to_string(z));
    return 0;
}
