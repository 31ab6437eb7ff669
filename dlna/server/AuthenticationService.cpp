#include "server/AuthenticationService.h"

#include "UpnpErrorMessages.h"

GetChallengeAction::GetChallengeAction(const ServiceInfo& service,
                                       std::weak_ptr<AuthenticationListener> listener)
    : UpnpAction(service, "GetChallenge"), listener_(std::move(listener)) {
    AddOutput("Challenge", &challenge_);
}

int GetChallengeAction::ProcessRequest(const std::string& address, ActionResults& results) {
    auto listener = listener_.lock();
    if (!listener) return upnp_error::kActionFailed;
    Bytes challenge;
    if (!listener->OnGetChallenge(address, &challenge)) return upnp_error::kActionFailed;
    results.emplace_back("Challenge", Base64Encode(challenge));
    return 0;
}

AuthenticateAction::AuthenticateAction(const ServiceInfo& service,
                                       std::weak_ptr<AuthenticationListener> listener)
    : UpnpAction(service, "Authenticate"), listener_(std::move(listener)) {
    AddInput("Digest", &digest_);
}

int AuthenticateAction::ProcessRequest(const std::string& address, ActionResults&) {
    // A later request without the argument must not reuse this one's digest.
    const std::string digest = std::exchange(digest_, {});
    if (digest.empty()) return upnp_error::kInvalidArgs;
    auto listener = listener_.lock();
    if (!listener) return upnp_error::kActionFailed;
    // Text that is not Base64 is a digest of no bytes, which no password
    // matches.
    const Bytes bytes = Base64Decode(digest).value_or(Bytes{});
    return listener->OnAuthenticate(address, bytes) ? 0 : upnp_error::kActionFailed;
}

AuthenticationService::AuthenticationService(const ServiceInfo& info,
                                             std::weak_ptr<AuthenticationListener> listener)
    : UpnpService(info) {
    Offer<GetChallengeAction>("GetChallenge", listener);
    Offer<AuthenticateAction>("Authenticate", listener);
}
