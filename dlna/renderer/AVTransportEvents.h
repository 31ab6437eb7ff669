#pragma once
// What AVTransport's LastChange carries for one instance, from the state the
// host stored: every evented variable, in a fixed order.
#include "ServiceEvents.h"
#include "renderer/AVTransportRecords.h"

EventValues AVTransportEventState(const AVTransportInstance& instance);

// One group's share of it, in the same order: a store replaces one group,
// and only that group can have changed.
EventValues EventedValues(const TransportInfo& transport);
EventValues EventedValues(const MediaInfo& media);
EventValues EventedValues(const PositionInfo& position);
EventValues EventedValues(const DeviceCapabilities& capabilities);
EventValues EventedValues(const TransportSettings& settings);

// The actions the state allows, as CurrentTransportActions lists them.
const char* TransportActionsOf(DLNA_TRANSPORT_STATE state);
