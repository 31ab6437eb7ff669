#pragma once
// Hosts serve on an address; an operator often knows the interface instead.
#include <string>

// The first IPv4 address getifaddrs lists for the interface `name`. False
// with `why` when there is no such interface or it has no IPv4 address.
bool InterfaceAddress(const std::string& name, std::string* address, std::string* why);

// The value of an `ip` key: an IPv4 address, or false with why not.
bool Ipv4Address(const std::string& value, std::string* address, std::string* why);

