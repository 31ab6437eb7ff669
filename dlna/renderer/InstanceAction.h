#pragma once
// The shape shared by the renderer services' actions: the service's
// listener and the "InstanceID" in-argument, declared first. Device side
// they hand the request to the listener; controller side they are filled
// with SetInput and sent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "UpnpAction.h"
#include "UpnpErrorMessages.h"
#include "common/Channel.h"

// An action name as a template argument.
template <std::size_t N>
struct ActionName {
    constexpr ActionName(const char (&name)[N]) { std::copy_n(name, N, text); }
    char text[N];
};

template <class L>
class InstanceAction : public UpnpAction {
public:
    InstanceAction(const ServiceInfo& service, const std::string& name, L* listener)
        : UpnpAction(service, name), listener(listener) {
        AddInput("InstanceID", &instance_id);
    }

protected:
    // Null on a remote device's service and where no bridge was wired in.
    L* listener;
    uint32_t instance_id = 0;
};

// An action with no argument besides the instance, handed to one listener
// operation.
template <class L, ActionName kName, int (L::*Operation)(uint32_t)>
class InstanceCommandAction : public InstanceAction<L> {
public:
    InstanceCommandAction(const ServiceInfo& service, L* listener)
        : InstanceAction<L>(service, kName.text, listener) {}

    int ProcessRequest(const std::string&, ActionResults&) override {
        return this->listener ? (this->listener->*Operation)(this->instance_id)
                              : upnp_error::kActionFailed;
    }
};
