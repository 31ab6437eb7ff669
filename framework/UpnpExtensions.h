#pragma once
// Facilities the framework needs beyond what libupnp offers.
#include <upnp.h>

#include <atomic>
#include <string>

// Callback event types delivered on top of libupnp's own.
constexpr int UPNP_EVENT_ADDRESS_CHANGED = 15;  // record: UpnpAddressChangedEvent
constexpr int UPNP_EVENT_MAC_CHANGED = 16;      // record: the new MAC as text

// Reachability of a URL's host and port: 0 when a TCP connection opens within
// `timeout` seconds, non-zero otherwise.
int UpnpTryConnect(const char* url, int timeout);
// The same, giving up early once `cancel` is set.
int UpnpTryConnect(const char* url, int timeout, const std::atomic<bool>* cancel);

// Writes a fresh UUID, without the "uuid:" prefix, into `buffer` (at least
// 37 bytes).
void UpnpUuidUnpack(char* buffer);

// libupnp's UpnpSendAction with the extra final argument the framework passes
// (always 1, no further meaning here).
int UpnpSendAction(UpnpClient_Handle handle, const char* action_url, const char* service_type,
                   const char* dev_udn, IXML_Document* action, IXML_Document** response,
                   int flags);
