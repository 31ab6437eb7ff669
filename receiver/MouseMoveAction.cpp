#include "MouseMoveAction.h"

#include "TvCommon.h"
#include "TvMouseControlControl.h"

MouseMoveAction::MouseMoveAction(const ServiceInfo& service) : UpnpAction(service, "MouseMove") {
    AddInput("X", &x);
    AddInput("Y", &y);
}

int MouseMoveAction::ProcessRequest(const std::string&, ActionResults&) {
    TvMouseControlControl::Instance()->SendKey("MO:" + std::to_string(x) + "," + std::to_string(y));
    return 0;
}

MouseMoveExAction::MouseMoveExAction(const ServiceInfo& service)
    : UpnpAction(service, "MouseMoveEx") {
    AddInput("X", &x);
    AddInput("Y", &y);
    AddInput("Z", &z);
}

int MouseMoveExAction::ProcessRequest(const std::string&, ActionResults&) {
    LogLine(TvCommonLog(), LogLevel::Info) << "MouseMoveEx: " << x << ", " << y << ", " << z;
    TvMouseControlControl::Instance()->SendKey("MO:" + std::to_string(x) + "," + std::to_string(y) +
                                               "," + std::to_string(z));
    return 0;
}
