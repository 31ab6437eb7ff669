// The password of the local server and authentication to remote ones.
#include "DLNA.h"
#include "UpnpClient.h"
#include "api/DLNAContext.h"
#include "common/ApiGuard.h"
#include "common/CString.h"
#include "controller/KnownDevices.h"
#include "controller/RemoteAction.h"
#include "controller/RemoteAuthentication.h"
#include "server/AuthenticationManager.h"

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
        auto client = DLNAContext::Instance().Devices().Find(device);
        if (!client || !password) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        return AuthenticateTo(*client, password,
                              [&](UpnpAction& action) { return SendRemote(action, *client); });
    });
}

}  // extern "C"
