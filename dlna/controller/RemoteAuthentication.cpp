#include "controller/RemoteAuthentication.h"

#include "DLNA.h"
#include "common/AuthenticationDigest.h"
#include "controller/RemoteAction.h"

int AuthenticateTo(const UpnpClient& device, const std::string& password,
                   const ActionSender& send) {
    auto get_challenge = PrepareAction(device, "GetChallenge");
    if (!get_challenge) return DLNA_E_NO_ACTION;
    if (send(*get_challenge) != 0) return DLNA_E_AUTHENTICATION_FAILED;
    auto challenge = Base64Decode(get_challenge->ResponseValue("Challenge"));
    if (!challenge || challenge->empty()) return DLNA_E_AUTHENTICATION_FAILED;

    // A server that hands out challenges but takes no answer cannot be
    // authenticated to.
    auto authenticate = PrepareAction(device, "Authenticate");
    if (!authenticate) return DLNA_E_NO_ACTION;
    if (!authenticate->SetInput("Digest", Base64Encode(ComputeDigest(password, *challenge))))
        return DLNA_E_AUTHENTICATION_FAILED;
    return send(*authenticate) == 0 ? DLNA_OK : DLNA_E_AUTHENTICATION_FAILED;
}
