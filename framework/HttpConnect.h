#pragma once
// Plain TCP reachability and connections for http URLs, with a deadline and
// an optional cancel flag, for the checks and downloads the control point
// makes to untrusted devices.
#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

struct HttpUrl {
    std::string host;  // without the brackets of an IPv6 literal
    std::string port;  // decimal, 1-65535
    std::string path;  // path and query, "/" when the URL has none
};

// Splits "http://host[:port][/...]" (host may be "[v6]"); false when malformed.
bool ParseHttpUrl(std::string_view url, HttpUrl* out);

// A connected, non-blocking socket to the URL's host and port, or -1 when
// none opens before `deadline` or `cancel` (when given) is set.
int ConnectHttpHost(const HttpUrl& url, std::chrono::steady_clock::time_point deadline,
                    const std::atomic<bool>* cancel);
