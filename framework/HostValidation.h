#pragma once
#include <string>
#include <string_view>
#include <vector>

// The Host header of a request must name this server: one of its own
// addresses, with or without one of its ports, or localhost. Anything else
// (a name a web page's DNS may point at us, another machine's address) is
// refused, so a browser cannot be used to drive our devices.
struct OwnHosts {
    std::vector<std::string> addresses;  // literal IPv4 or IPv6, no brackets
    std::vector<int> ports;
};

bool IsOwnHost(std::string_view host, const OwnHosts& own);

// libupnp's host check for its web server (descriptions, SCPDs, files):
// compares with libupnp's current addresses and ports and logs a refusal.
// SOAP and GENA requests never reach it: libupnp itself refuses every
// name there and lets literal addresses through.
int ValidateHostCallback(const char* host, void* cookie);
