#include "UpnpExtensions.h"

#include <unistd.h>
#include <uuid.h>

#include <chrono>

#include "HttpConnect.h"

int UpnpTryConnect(const char* url, int timeout) {
    return UpnpTryConnect(url, timeout, nullptr);
}

int UpnpTryConnect(const char* url, int timeout, const std::atomic<bool>* cancel) {
    if (url == nullptr) return UPNP_E_INVALID_PARAM;
    HttpUrl target;
    if (!ParseHttpUrl(url, &target)) return UPNP_E_INVALID_URL;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(timeout > 0 ? timeout : 0);
    const int fd = ConnectHttpHost(target, deadline, cancel);
    if (fd < 0) return UPNP_E_SOCKET_CONNECT;
    close(fd);
    return UPNP_E_SUCCESS;
}

void UpnpUuidUnpack(char* buffer) {
    if (buffer == nullptr) return;
    uuid_t id;
    uuid_generate(id);
    uuid_unparse_lower(id, buffer);
}

int UpnpSendAction(UpnpClient_Handle handle, const char* action_url, const char* service_type,
                   const char* dev_udn, IXML_Document* action, IXML_Document** response,
                   int /*flags*/) {
    // Qualified six-argument call: libupnp's C function, never this overload.
    return ::UpnpSendAction(handle, action_url, service_type, dev_udn, action, response);
}
