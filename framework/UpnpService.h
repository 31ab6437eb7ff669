#pragma once
#include <upnp.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ServiceEvents.h"
#include "ServiceInfo.h"
#include "UpnpAction.h"

// A service of a device: its actions, created from the names its SCPD lists,
// and its evented state variables.
class UpnpService {
public:
    explicit UpnpService(const ServiceInfo& info)
        : service(info), events(std::make_shared<ServiceEvents>(info.serviceId)) {}
    virtual ~UpnpService() = default;
    UpnpService(const UpnpService&) = delete;
    UpnpService& operator=(const UpnpService&) = delete;

    // Downloads the SCPD from SCPDURL and creates one action per listed name.
    virtual bool LoadActions();
    // An empty pointer for a name this service does not implement. By
    // default the names offered with Offer, compared exactly.
    virtual std::shared_ptr<UpnpAction> CreateAction(const std::string& name);

    // Creates the actions an already parsed SCPD lists, and notes the state
    // variables it marks sendEvents="yes".
    bool LoadActionsFrom(IXML_Document* scpd);
    // Offers the request to each action in order; true when one took it.
    bool Dispatch(UpnpActionRequest* request);

    const ServiceInfo& Info() const { return service; }
    const std::vector<std::shared_ptr<UpnpAction>>& Actions() const { return actions; }

    // Subscribers and what is sent to them; shared with whatever publishes
    // the service's changes, which may outlive it.
    const std::shared_ptr<ServiceEvents>& Events() const { return events; }
    // The first event of a new subscriber: every evented variable. By
    // default each as empty text; services with state override it.
    virtual EventValues InitialEvent();

protected:
    // Makes CreateAction answer `name` with a new A(service, args...).
    template <class A, class... Args>
    void Offer(std::string name, Args... args) {
        action_table.emplace_back(std::move(name), [this, args...] {
            return std::static_pointer_cast<UpnpAction>(std::make_shared<A>(service, args...));
        });
    }

    ServiceInfo service;
    std::vector<std::shared_ptr<UpnpAction>> actions;
    std::shared_ptr<ServiceEvents> events;

private:
    std::vector<std::pair<std::string, std::function<std::shared_ptr<UpnpAction>()>>>
        action_table;
};
