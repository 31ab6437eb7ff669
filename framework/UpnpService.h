#pragma once
#include <upnp.h>

#include <memory>
#include <string>
#include <vector>

#include "ServiceInfo.h"
#include "UpnpAction.h"

// A service of a device: its actions, created from the names its SCPD lists.
class UpnpService {
public:
    explicit UpnpService(const ServiceInfo& info) : service(info) {}
    virtual ~UpnpService() = default;
    UpnpService(const UpnpService&) = delete;
    UpnpService& operator=(const UpnpService&) = delete;

    // Downloads the SCPD from SCPDURL and creates one action per listed name.
    virtual bool LoadActions();
    // An empty pointer for a name this service does not implement.
    virtual std::shared_ptr<UpnpAction> CreateAction(const std::string& name) = 0;

    // Creates the actions an already parsed SCPD lists.
    bool LoadActionsFrom(IXML_Document* scpd);
    // Offers the request to each action in order; true when one took it.
    bool Dispatch(UpnpActionRequest* request);

    const ServiceInfo& Info() const { return service; }
    const std::vector<std::shared_ptr<UpnpAction>>& Actions() const { return actions; }

protected:
    ServiceInfo service;
    std::vector<std::shared_ptr<UpnpAction>> actions;
};
