#pragma once
#include "DLNA.h"

// The host's side of the library, as the bridges see it: every event goes
// through the host's one callback. The context implements it and hands it to
// each part it creates.
class HostEvents {
public:
    virtual ~HostEvents() = default;
    // 0 when the host handled the event; the host's own UPnP error (600 to
    // 899); 501 without a callback or when it failed otherwise.
    virtual int RaiseEvent(DLNA_EVENT event, void* data) = 0;
};
