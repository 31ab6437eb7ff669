#include "server/AuthenticationActionFilter.h"

#include "Logger.h"
#include "UpnpAction.h"
#include "UpnpErrorMessages.h"
#include "server/AuthenticationManager.h"

namespace {

// libupnp keeps the fault text in a fixed buffer of this many bytes.
constexpr size_t kErrorTextSize = 180;

Logger& AuthenLog() {
    static Logger& log = Logger::Instance("Authen");
    return log;
}

}  // namespace

AuthenticationActionFilter::AuthenticationActionFilter(
    std::string action, std::shared_ptr<AuthenticationManager> manager)
    : action_(std::move(action)), manager_(std::move(manager)) {}

bool AuthenticationActionFilter::Accept(UpnpActionRequest* request) {
    const char* name = UpnpActionRequest_get_ActionName_cstr(request);
    if (!name || action_ != name) return true;
    const HardwareAddress hardware =
        manager_ ? manager_->HardwareAddressOf(RequestAddress(request)) : HardwareAddress{};
    if (IsZero(hardware)) {
        LogLine(AuthenLog(), LogLevel::Warning) << "Can't get the hardware address";
    } else if (manager_->IsAuthenticated(hardware)) {
        return true;
    }
    UpnpActionRequest_set_ErrCode(request, upnp_error::kUnauthenticated);
    UpnpActionRequest_strncpy_ErrStr(
        request, UpnpErrorText(upnp_error::kUnauthenticated).c_str(), kErrorTextSize - 1);
    return false;
}

bool AuthenticationActionFilter::IsSame(const ActionFilter& other) const {
    const auto* same = dynamic_cast<const AuthenticationActionFilter*>(&other);
    return same && same->action_ == action_;
}
