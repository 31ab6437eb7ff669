#pragma once
#include <ixml.h>

#include <string>
#include <vector>

#include "ServiceInfo.h"

// `relative` made absolute against `base`; empty when libupnp cannot
// resolve it.
std::string ResolveUrl(const std::string& base, const std::string& relative);

// The entries of a device element's own serviceList, with controlURL,
// eventSubURL and SCPDURL resolved against `base_url` (the server's own
// address for local devices, the discovery location for remote ones).
// Entries that lack any of the five fields are left out; a URL that does
// not resolve becomes empty.
std::vector<ServiceInfo> ReadServiceList(IXML_Element* device, const std::string& base_url);
