#pragma once
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

// One request to an http URL of a peer that may be slow, broken or hostile:
// the body may not grow past `max_body` bytes, the whole exchange may not
// take longer than `seconds`, and `cancel` (when given) stops it within a
// fraction of a second. libupnp's own client buffers bodies of any size
// sent chunked or until close, leaks a socket for each malformed response
// and times out per read, not per exchange, so the control point uses it
// neither for descriptions nor for actions.
struct HttpGetLimits {
    size_t max_body = 256 * 1024;
    int seconds = 10;
};

struct HttpRequest {
    std::string method = "GET";
    std::string version = "HTTP/1.0";
    // Header lines after Host, each ending in CRLF.
    std::string headers;
    std::string body;
    // Statuses whose body is read; for any other only the status is.
    std::vector<int> body_statuses{200};
};

struct HttpResponse {
    int status = 0;
    std::string content_type;
    std::string body;
};

// 0 with the response, whatever its status, or a libupnp error code as
// HttpGet's below, UPNP_E_BAD_RESPONSE aside.
int HttpExchange(const std::string& url, const HttpRequest& request, const HttpGetLimits& limits,
                 const std::atomic<bool>* cancel, HttpResponse* response);

// A GET: 0 with the body, or a libupnp error code: UPNP_E_INVALID_URL,
// UPNP_E_SOCKET_CONNECT, UPNP_E_SOCKET_WRITE, UPNP_E_SOCKET_READ,
// UPNP_E_TIMEDOUT, UPNP_E_CANCELED, UPNP_E_BAD_HTTPMSG (not HTTP),
// UPNP_E_BAD_RESPONSE (a status other than 200) or UPNP_E_OUTOF_BOUNDS.
int HttpGet(const std::string& url, const HttpGetLimits& limits, const std::atomic<bool>* cancel,
            std::string* body);
