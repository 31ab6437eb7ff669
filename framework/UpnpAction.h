#pragma once
#include <upnp.h>
#include <upnptools.h>

#include <memory>
#include <string>
#include <vector>

#include "ActionParameter.h"
#include "ServiceInfo.h"
#include "Xml.h"

using ActionResults = std::vector<ActionParameter>;

// One SOAP action. Device side: Handle binds an incoming request to the typed
// input members, runs ProcessRequest and fills the response or the fault.
// Control-point side: BuildRequest and BindResponse or BindResponseArguments.
class UpnpAction {
public:
    UpnpAction(const ServiceInfo& service, const std::string& name);
    virtual ~UpnpAction();
    UpnpAction(const UpnpAction&) = delete;
    UpnpAction& operator=(const UpnpAction&) = delete;

    // `address` is the requesting control point's IPv4 address as text.
    virtual int ProcessRequest(const std::string& address, ActionResults& results) = 0;
    virtual int OnResponse() { return 0; }
    // The declared in-arguments, in declaration order, with their current
    // values. An action overrides it only to send something else.
    virtual XmlDocumentPtr CreateRequest();

    bool Handle(UpnpActionRequest* request);
    XmlDocumentPtr BuildRequest(const std::vector<ActionParameter>& arguments);
    bool BindResponse(XmlDocumentPtr response);
    // The out-arguments of a response as names and texts, in document order.
    void BindResponseArguments(std::vector<std::pair<std::string, std::string>> arguments);

    const std::string& Name() const { return name; }
    const ServiceInfo& Service() const { return service; }

    // Every out-argument of the last bound response, in document order,
    // whether or not a binding took it.
    const std::vector<std::pair<std::string, std::string>>& ResponseArguments() const {
        return response_arguments;
    }
    // The text of one of them; empty when the response did not carry it.
    std::string ResponseValue(const std::string& argument) const;
    bool HasResponseValue(const std::string& argument) const;

    // Control-point side: sets the in-argument of that name from text, as a
    // request would. False when there is no such binding or it does not convert.
    bool SetInput(const std::string& argument, const std::string& text);

protected:
    template <class T>
    void AddInput(const std::string& argument, T* member) {
        inputs.push_back(std::make_unique<ActionParameterImpl<T>>(argument, member));
    }
    template <class T>
    void AddOutput(const std::string& argument, T* member) {
        outputs.push_back(std::make_unique<ActionParameterImpl<T>>(argument, member));
    }

    ServiceInfo service;
    std::string name;
    std::vector<std::unique_ptr<ActionParameter>> inputs;
    std::vector<std::unique_ptr<ActionParameter>> outputs;
    std::vector<std::pair<std::string, std::string>> response_arguments;
};

// The control point's address in an action request, as dotted text.
std::string RequestAddress(const UpnpActionRequest* request);
// A client's IPv4 address as text; empty for any other family.
std::string IPv4AddressText(const sockaddr_storage* storage);
