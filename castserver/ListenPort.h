#pragma once
// A port for the receiver's web server. The UPnP library's rule for port 0
// is "the first free port from 49152", but the libupnp of this platform
// binds 49152 itself and fails when the application's own media server
// already holds it; so the application picks the port by that rule.
#include <cstdint>

inline constexpr std::uint16_t kFirstListenPort = 49152;

// The first TCP port from `first` up that can be bound on every address;
// 0 when none can.
std::uint16_t FirstFreeListenPort(std::uint16_t first = kFirstListenPort);
