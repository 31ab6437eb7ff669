#pragma once
#include <string>

namespace platform {

// The name of the interface that holds this literal IPv4 or IPv6 address;
// empty when none does or the text is not an address.
std::string InterfaceHoldingAddress(const std::string& address);

}  // namespace platform
