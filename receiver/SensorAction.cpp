#include "SensorAction.h"

SensorAction::SensorAction(const ServiceInfo& service, const std::string& name,
                           std::shared_ptr<TvInputControl> control)
    : UpnpAction(service, name), control(std::move(control)) {
    AddInput("X", &x);
    AddInput("Y", &y);
    AddInput("Z", &z);
}

int SensorAction::ProcessRequest(const std::string&, ActionResults&) {
    Report(x, y, z);
    return 0;
}
