#include "SensorAction.h"

#include "ArgumentText.h"

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

XmlDocumentPtr SensorAction::CreateRequest() {
    return BuildRequest({ActionParameter("X", ArgumentText(x)),
                         ActionParameter("Y", ArgumentText(y)),
                         ActionParameter("Z", ArgumentText(z))});
}
