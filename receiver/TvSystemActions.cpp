#include "TvSystemActions.h"

SendStringAction::SendStringAction(const ServiceInfo& service) : UpnpAction(service, kSendString) {
    AddInput(kStringValue, &string_value);
}

int SendStringAction::ProcessRequest(const std::string&, ActionResults&) {
    TvKeyControlControl::Instance()->SendString(string_value);
    return 0;
}
