#pragma once
// The road every controller call takes to a remote device: the device a
// host handle names, held until the call has returned; the action prepared
// on the first of its services that offers it; the in-arguments; the send;
// and the reading of the answer.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DLNA.h"
#include "UpnpAction.h"
#include "UpnpClient.h"
#include "controller/KnownDevices.h"

// Sends a prepared action and binds the answer into it: libupnp's code, 0
// on success, a positive one being the UPnP error of the device's fault.
using RemoteSender = std::function<int(UpnpAction& action, const UpnpClient& device)>;

// Through the control point, unless a test put a sender in its place.
int SendRemote(UpnpAction& action, const UpnpClient& device);
// For tests: where remote actions go instead of the network; an empty
// sender restores the network.
void ReplaceRemoteSender(RemoteSender sender);

// The action of that name from the first service, in description order,
// that offers it, as an A; empty when none does. Remote services are this
// library's own classes, so the name decides the class.
template <class A = UpnpAction>
std::shared_ptr<A> PrepareAction(const UpnpClient& device, const std::string& name) {
    for (const auto& service : device.Services())
        if (auto action = service->CreateAction(name)) return std::dynamic_pointer_cast<A>(action);
    return nullptr;
}

// In-arguments as text, set in this order; the others keep their defaults.
using Inputs = std::vector<std::pair<std::string, std::string>>;

inline Inputs InstanceInputs(uint32_t instance, Inputs more = {}) {
    more.emplace(more.begin(), "InstanceID", std::to_string(instance));
    return more;
}

// What a failed send answers to the host; by default 5.
using SendFailure = int (*)(int code, const UpnpClient& device);
inline int ActionFailed(int, const UpnpClient&) {
    return DLNA_E_ACTION_FAILED;
}

// 2 for a handle that names no known device, 7 when no service offers the
// action, 2 for an argument the action cannot take, `failed` of the code of
// a failed send; otherwise what `read` answers for the bound action.
template <class A = UpnpAction, class Read>
int CallRemote(KnownDevices& devices, DLNA_DEVICE_HANDLE handle, const std::string& name,
               const Inputs& inputs, Read&& read, SendFailure failed = ActionFailed) {
    // Held for the whole call: the device may leave the list meanwhile.
    const std::shared_ptr<UpnpClient> device = devices.Find(handle);
    if (!device) return DLNA_E_INVALID_ARGUMENT;
    const std::shared_ptr<A> action = PrepareAction<A>(*device, name);
    if (!action) return DLNA_E_NO_ACTION;
    for (const auto& [argument, text] : inputs)
        if (!action->SetInput(argument, text)) return DLNA_E_INVALID_ARGUMENT;
    if (const int code = SendRemote(*action, *device)) return failed(code, *device);
    return read(static_cast<A&>(*action));
}

// A command: nothing to read from the answer.
inline int CallRemote(KnownDevices& devices, DLNA_DEVICE_HANDLE handle, const std::string& name,
                      const Inputs& inputs, SendFailure failed = ActionFailed) {
    return CallRemote(
        devices, handle, name, inputs, [](UpnpAction&) { return static_cast<int>(DLNA_OK); },
        failed);
}
