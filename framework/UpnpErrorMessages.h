#pragma once
#include <map>
#include <string>

// UPnP error codes and the texts sent with them in SOAP faults.
const std::map<int, std::string>& UpnpErrorMessages();

// The table's text, or "Invalid parameter." for a code it does not hold.
std::string UpnpErrorText(int code);
