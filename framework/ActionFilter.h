#pragma once
#include <upnp.h>

// Runs before every action request to a device. A filter that refuses a
// request stores the error code and text in the request itself.
class ActionFilter {
public:
    virtual ~ActionFilter() = default;
    virtual bool Accept(UpnpActionRequest* request) = 0;
    virtual bool IsSame(const ActionFilter& other) const = 0;
};
