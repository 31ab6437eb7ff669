#include "SensorAction.h"


SensorAction::SensorAction(const ServiceInfo& service, const std::string& name)
    : UpnpAction(service, name) {
    AddInput("X", &x);
    AddInput("Y", &y);
    AddInput("Z", &z);
}

int SensorAction::ProcessRequest(const std::string&, ActionResults&) {
    Report(x, y, z);
    return 0;
}
