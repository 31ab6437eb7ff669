#pragma once
// The controller's half of the challenge-response exchange.
#include <functional>
#include <string>

class UpnpAction;
class UpnpClient;

// Sends a prepared action to the device and binds its answer; 0 on success.
using ActionSender = std::function<int(UpnpAction& action)>;

// GetChallenge, then Authenticate with the HMAC-MD5 of the challenge under
// `password`, each on the first of the device's services that offers it.
// DLNA_OK, DLNA_E_NO_ACTION or DLNA_E_AUTHENTICATION_FAILED.
int AuthenticateTo(const UpnpClient& device, const std::string& password, const ActionSender& send);
