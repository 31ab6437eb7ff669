#pragma once
// The one-downstream link between a service's listener interface and the
// bridge that finally answers it.
#include <utility>

#include "UpnpErrorMessages.h"

template <class L>
class ListenerProxy {
public:
    void SetDownstream(L* listener) { downstream_ = listener; }
    L* Downstream() const { return downstream_; }

protected:
    // Calls `operation` on the downstream listener; 501 without one.
    template <class... Params, class... Args>
    int Forward(int (L::*operation)(Params...), Args&&... args) const {
        return downstream_ ? (downstream_->*operation)(std::forward<Args>(args)...)
                           : upnp_error::kActionFailed;
    }

private:
    // Set once while the bridge is built, before any request can arrive.
    L* downstream_ = nullptr;
};

// A listener that forwards to its downstream listener; each concrete channel
// overrides the operations it answers itself and forwards the rest.
template <class L>
class Channel : public L, public ListenerProxy<L> {};
