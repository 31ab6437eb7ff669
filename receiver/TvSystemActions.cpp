#include "TvSystemActions.h"

SendStringAction::SendStringAction(const ServiceInfo& service,
                                   std::shared_ptr<TvKeyControlControl> control)
    : UpnpAction(service, kSendString), control_(std::move(control)) {
    AddInput(kStringValue, &string_value);
}

int SendStringAction::ProcessRequest(const std::string&, ActionResults&) {
    control_->SendString(string_value);
    return 0;
}
