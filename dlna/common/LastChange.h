#pragma once
// The AV services' LastChange value: per instance, the state variables that
// changed, each as an element with a val attribute (and RenderingControl's
// per-channel ones with channel="Master"):
//   <Event xmlns="urn:schemas-upnp-org:metadata-1-0/AVT/">
//     <InstanceID val="0"><TransportState val="PLAYING"/>...</InstanceID></Event>
#include <cstdint>
#include <map>
#include <string>

#include "ServiceEvents.h"

inline constexpr char kAVTransportEventNamespace[] = "urn:schemas-upnp-org:metadata-1-0/AVT/";
inline constexpr char kRenderingControlEventNamespace[] =
    "urn:schemas-upnp-org:metadata-1-0/RCS/";

// Instance id -> its variables, in the order first set.
using InstanceValues = std::map<uint32_t, EventValues>;

std::string LastChangeDocument(const std::string& name_space, const InstanceValues& instances);

// Changes since the last event; a later value of a variable replaces the
// earlier one in place.
void MergeChanges(InstanceValues& pending, uint32_t instance, const EventValues& changes);
