#pragma once
// libupnp reports a taken port only as a failed start: the hosts ask the
// system first, to say which option to change.
#include <string>

// True when a TCP port on `ip` (any address when empty or not IPv4) is in
// use. It binds as libupnp does, with SO_REUSEADDR, so a port whose last
// connections wait out TIME_WAIT counts as free. Port 0 is never in use.
bool PortInUse(const std::string& ip, int port);
