#include "HostValidation.h"

#include <upnp.h>

#include <algorithm>
#include <charconv>

#include "Logger.h"

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Splits "name", "name:port", "[v6]" or "[v6]:port"; false when malformed.
bool SplitHost(std::string_view text, std::string_view* name, std::string_view* port) {
    *port = {};
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) return false;
        *name = text.substr(1, close - 1);
        std::string_view rest = text.substr(close + 1);
        if (rest.empty()) return true;
        if (rest.front() != ':') return false;
        *port = rest.substr(1);
        return true;
    }
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        *name = text;
        return true;
    }
    // A bare IPv6 address has more than one colon and no port.
    if (text.find(':', colon + 1) != std::string_view::npos) {
        *name = text;
        return true;
    }
    *name = text.substr(0, colon);
    *port = text.substr(colon + 1);
    return true;
}

}  // namespace

bool IsOwnHost(std::string_view host, const OwnHosts& own) {
    std::string_view name;
    std::string_view port_text;
    if (host.empty() || !SplitHost(host, &name, &port_text) || name.empty()) return false;
    if (!port_text.empty() || host.back() == ':') {
        int port = 0;
        auto [end, ec] = std::from_chars(port_text.data(), port_text.data() + port_text.size(), port);
        if (ec != std::errc() || end != port_text.data() + port_text.size()) return false;
        if (std::find(own.ports.begin(), own.ports.end(), port) == own.ports.end()) return false;
    }
    if (EqualsNoCase(name, "localhost") || name == "127.0.0.1" || name == "::1") return true;
    return std::any_of(own.addresses.begin(), own.addresses.end(), [&](const std::string& address) {
        return !address.empty() && EqualsNoCase(name, address);
    });
}

int ValidateHostCallback(const char* host, void*) {
    OwnHosts own;
    for (const char* address :
         {UpnpGetServerIpAddress(), UpnpGetServerIp6Address(), UpnpGetServerUlaGuaIp6Address()}) {
        if (address && *address) own.addresses.emplace_back(address);
    }
    for (int port : {UpnpGetServerPort(), UpnpGetServerPort6(), UpnpGetServerUlaGuaPort6()}) {
        if (port > 0) own.ports.push_back(port);
    }
    const std::string_view text = host ? host : "";
    if (IsOwnHost(text, own)) return UPNP_E_SUCCESS;
    LogLine(FrameworkLog(), LogLevel::Warning) << "Refused a request for Host: " << LogSafe(text);
    return UPNP_E_BAD_HTTPMSG;
}
