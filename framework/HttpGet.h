#pragma once
#include <atomic>
#include <cstddef>
#include <string>

// A GET of one http URL from a peer that may be slow, broken or hostile:
// the body may not grow past `max_body` bytes, the whole exchange may not
// take longer than `seconds`, and `cancel` (when given) stops it within a
// fraction of a second. libupnp's own client buffers bodies of any size
// sent chunked or until close, and leaks a socket for each malformed
// response, so the control point does not use it for descriptions.
struct HttpGetLimits {
    size_t max_body = 256 * 1024;
    int seconds = 10;
};

// 0 with the body, or a libupnp error code: UPNP_E_INVALID_URL,
// UPNP_E_SOCKET_CONNECT, UPNP_E_SOCKET_WRITE, UPNP_E_SOCKET_READ,
// UPNP_E_TIMEDOUT, UPNP_E_CANCELED, UPNP_E_BAD_HTTPMSG (not HTTP),
// UPNP_E_BAD_RESPONSE (a status other than 200) or UPNP_E_OUTOF_BOUNDS.
int HttpGet(const std::string& url, const HttpGetLimits& limits, const std::atomic<bool>* cancel,
            std::string* body);
