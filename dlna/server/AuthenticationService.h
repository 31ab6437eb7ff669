#pragma once
#include <memory>
#include <string>

#include "UpnpService.h"
#include "server/AuthenticationListener.h"

// GetChallenge: out "Challenge", the Base64 of the client's challenge.
class GetChallengeAction : public UpnpAction {
public:
    GetChallengeAction(const ServiceInfo& service, std::weak_ptr<AuthenticationListener> listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    // Control point: the challenge of the last response.
    const std::string& Challenge() const { return challenge_; }

private:
    std::weak_ptr<AuthenticationListener> listener_;
    std::string challenge_;
};

// Authenticate: in "Digest", the Base64 of the HMAC-MD5 of the challenge.
class AuthenticateAction : public UpnpAction {
public:
    AuthenticateAction(const ServiceInfo& service, std::weak_ptr<AuthenticationListener> listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    std::weak_ptr<AuthenticationListener> listener_;
    std::string digest_;
};

// The vendor challenge-response service. Remote devices get it without a
// listener: their actions only build requests.
class AuthenticationService : public UpnpService {
public:
    AuthenticationService(const ServiceInfo& info, std::weak_ptr<AuthenticationListener> listener);
};
