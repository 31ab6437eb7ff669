#pragma once
// The GENA side of one service: the state variables its SCPD marks
// sendEvents="yes", and the subscribers libupnp keeps for it once its root
// device is registered.
#include <upnp.h>

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// Evented variables and their values as plain text, in order.
using EventValues = std::vector<std::pair<std::string, std::string>>;

class ServiceEvents {
public:
    explicit ServiceEvents(std::string service_id) : service_id_(std::move(service_id)) {}

    void SetEvented(std::vector<std::string> names);
    const std::vector<std::string>& Evented() const { return evented_; }

    // The registered root device's handle and this service's device; a
    // handle below 0 detaches (the device left the network).
    void Attach(UpnpDevice_Handle handle, std::string udn);
    void Detach() { Attach(-1, {}); }

    // Sends `values` to every subscriber. False while detached or when
    // libupnp refused. Values are escaped here.
    bool Publish(const EventValues& values);
    // Accepts a new subscriber with what `initial` gives, taken under the
    // same lock as Publish: a change is either in the first event or sent
    // after it, never lost between them.
    int Accept(const std::string& sid, const std::function<EventValues()>& initial);

private:
    const std::string service_id_;
    std::vector<std::string> evented_;
    std::mutex mutex_;
    UpnpDevice_Handle handle_ = -1;
    std::string udn_;
};
