// The password of the local server and authentication to remote ones.
#include "ApiGuard.h"
#include "AuthenticationManager.h"
#include "CString.h"
#include "DLNA.h"
#include "DLNAContext.h"
#include "RemoteAuthentication.h"
#include "UpnpClient.h"
#include "UpnpUtility.h"

extern "C" {

int DLNA_DMS_SetPassword(const char* password) {
    return Guarded("DLNA_DMS_SetPassword", static_cast<int>(DLNA_OK), [&] {
        if (auto manager = DLNAContext::Instance().Authentication())
            manager->SetPassword(TextOf(password));
        return static_cast<int>(DLNA_OK);
    });
}

int DLNA_DMSC_Authenticate(DLNA_DEVICE_HANDLE device, const char* password) {
    return Guarded("DLNA_DMSC_Authenticate", static_cast<int>(DLNA_E_AUTHENTICATION_FAILED), [&] {
        auto client = DLNAContext::Instance().FindKnownDevice(device);
        if (!client || !password) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        return AuthenticateTo(*client, password, [&](UpnpAction& action) {
            return UpnpUtility::Instance().SendAction(action, *client);
        });
    });
}

}  // extern "C"
