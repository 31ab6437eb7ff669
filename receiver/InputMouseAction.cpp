#include "InputMouseAction.h"

InputMouseAction::InputMouseAction(const ServiceInfo& service, const std::string& name,
                                   std::shared_ptr<TvInputControl> control)
    : UpnpAction(service, name), control(std::move(control)) {
    AddInput("CoordinateType", &coordinate_type);
    AddInput("X", &x);
    AddInput("Y", &y);
}

int InputMouseAction::ProcessRequest(const std::string&, ActionResults&) {
    Operate(coordinate_type == "Relative", x, y);
    return 0;
}
