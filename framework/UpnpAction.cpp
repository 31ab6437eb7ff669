#include "UpnpAction.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>
#include <set>

#include "Logger.h"
#include "UpnpErrorMessages.h"

namespace {

// libupnp keeps the fault text in a fixed buffer of this many bytes.
constexpr size_t kErrorTextSize = 180;

// Appends the XML document `markup` to the response's last
// argument element as one CDATA section (libixml prints no second one).
// Characters beyond ASCII go as character references, because libixml's
// parser (libupnp's control points) ends a section at the first byte above
// 0x7F and refuses an empty one; "]]>" as "]]&gt;", which in a well-formed
// document can only stand in text or an attribute value.
bool AppendCdata(IXML_Document* response, const std::string& markup) {
    IXML_Node* action = ixmlNode_getFirstChild(xml::AsNode(response));
    IXML_Node* argument = action ? ixmlNode_getLastChild(action) : nullptr;
    if (!argument) return false;
    if (markup.empty()) return true;
    // Most answers need neither change: no copy for them.
    std::string changed;
    const bool plain = xml::IsPlainAscii(markup) && markup.find("]]>") == std::string::npos;
    if (!plain) {
        changed = xml::AsciiMarkup(markup);
        for (size_t at = 0; (at = changed.find("]]>", at)) != std::string::npos; at += 2)
            changed.replace(at + 2, 1, "&gt;");
    }
    IXML_CDATASection* section =
        ixmlDocument_createCDATASection(response, plain ? markup.c_str() : changed.c_str());
    if (!section) return false;
    if (ixmlNode_appendChild(argument, reinterpret_cast<IXML_Node*>(section)) != IXML_SUCCESS) {
        ixmlNode_free(reinterpret_cast<IXML_Node*>(section));
        return false;
    }
    return true;
}

void SetError(UpnpActionRequest* request, int code, const std::string& text) {
    UpnpActionRequest_set_ErrCode(request, code);
    UpnpActionRequest_strncpy_ErrStr(request, text.c_str(), kErrorTextSize - 1);
}

// The first element named `name` in namespace `ns`; null when there is none.
IXML_Element* FindActionElement(IXML_Document* doc, const std::string& ns,
                                const std::string& name) {
    IXML_NodeList* list = ixmlDocument_getElementsByTagNameNS(doc, ns.c_str(), name.c_str());
    if (!list) return nullptr;
    IXML_Node* node = ixmlNodeList_item(list, 0);
    ixmlNodeList_free(list);
    return reinterpret_cast<IXML_Element*>(node);
}

// No argument of any service comes near this; a client's megabyte would
// otherwise reach the action, its state and its log.
constexpr size_t kMaxArgumentText = 64 * 1024;

// The first argument longer than the limit; empty when there is none.
std::string TooLongArgument(IXML_Element* element) {
    for (IXML_Element* argument : xml::ChildElements(xml::AsNode(element)))
        if (xml::AllText(argument).size() > kMaxArgumentText)
            return xml::LocalName(xml::AsNode(argument));
    return {};
}

// The first declared in-argument the request leaves out; empty when it has
// them all. UPnP asks for every one, and a binding left out would keep what
// an earlier client sent.
std::string MissingArgument(IXML_Element* element,
                            const std::vector<std::unique_ptr<ActionParameter>>& bindings) {
    std::set<std::string> given;
    for (IXML_Element* argument : xml::ChildElements(xml::AsNode(element)))
        given.insert(xml::LocalName(xml::AsNode(argument)));
    for (const auto& binding : bindings)
        if (!given.count(binding->name)) return binding->name;
    return {};
}

// Binds each child element to the parameter of the same name; the name of
// the first argument that fails, or empty.
bool BindArguments(IXML_Element* element,
                   const std::vector<std::unique_ptr<ActionParameter>>& bindings,
                   std::string* failed_name, std::string* failed_value) {
    for (IXML_Element* argument : xml::ChildElements(xml::AsNode(element))) {
        std::string name = xml::LocalName(xml::AsNode(argument));
        std::string text = xml::AllText(argument);
        // An argument is text; elements inside one are a malformed request,
        // not an empty value.
        bool bound = false;
        if (!xml::ChildElements(xml::AsNode(argument)).empty()) {
            *failed_name = name;
            *failed_value = "<element>";
            return false;
        }
        for (const auto& binding : bindings) {
            if (binding->name == name) {
                bound = binding->SetValue(text);
                break;
            }
        }
        if (!bound) {
            *failed_name = name;
            *failed_value = text;
            return false;
        }
    }
    return true;
}

}  // namespace

std::string RequestAddress(const UpnpActionRequest* request) {
    return IPv4AddressText(UpnpActionRequest_get_CtrlPtIPAddr(request));
}

std::string IPv4AddressText(const sockaddr_storage* storage) {
    if (!storage || storage->ss_family != AF_INET) return {};
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(storage);
    inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    return text;
}

UpnpAction::UpnpAction(const ServiceInfo& service, const std::string& name)
    : service(service), name(name) {}

UpnpAction::~UpnpAction() = default;

bool UpnpAction::Handle(UpnpActionRequest* request) {
    const char* requested = UpnpActionRequest_get_ActionName_cstr(request);
    if (!requested || name != requested) return false;

    IXML_Document* doc = UpnpActionRequest_get_ActionRequest(request);
    if (!doc) {
        LogLine(FrameworkLog(), LogLevel::Error) << "Can't parse the request xml.";
        return true;
    }
    IXML_Element* element = FindActionElement(doc, service.serviceType, name);
    if (!element) {
        LogLine(FrameworkLog(), LogLevel::Error) << "Can't parse the request node: " << name;
        return true;
    }
    if (const std::string too_long = TooLongArgument(element); !too_long.empty()) {
        LogLine(FrameworkLog(), LogLevel::Error)
            << "Request argument too long: name=" << LogSafe(too_long);
        SetError(request, upnp_error::kInvalidArgs, UpnpErrorText(upnp_error::kInvalidArgs));
        return true;
    }
    std::string bad_name, bad_value;
    if (!BindArguments(element, inputs, &bad_name, &bad_value)) {
        LogLine(FrameworkLog(), LogLevel::Error)
            << "Request argument error: name=" << LogSafe(bad_name)
            << ", value=" << LogSafe(bad_value);
        return true;
    }
    if (const std::string missing = MissingArgument(element, inputs); !missing.empty()) {
        LogLine(FrameworkLog(), LogLevel::Error) << "Request argument missing: name=" << missing;
        SetError(request, upnp_error::kInvalidArgs, UpnpErrorText(upnp_error::kInvalidArgs));
        return true;
    }

    ActionResults results;
    int code = ProcessRequest(RequestAddress(request), results);
    if (code != 0) {
        std::string text = UpnpErrorText(code);
        SetError(request, code, text);
        LogLine(FrameworkLog(), LogLevel::Error) << "Request error=" << text;
        return true;
    }

    IXML_Document* response = UpnpActionRequest_get_ActionResult(request);
    if (results.empty()) {
        if (UpnpAddToActionResponse(&response, name.c_str(), service.serviceType.c_str(), nullptr,
                                    nullptr) != UPNP_E_SUCCESS) {
            LogLine(FrameworkLog(), LogLevel::Error)
                << "UpnpAddToActionResponse failed: none arguments.";
            UpnpActionRequest_set_ErrCode(request, upnp_error::kActionFailed);
        }
    } else {
        for (const auto& result : results) {
            // A value that is not XML text would make the whole response unreadable.
            const bool added =
                UpnpAddToActionResponse(
                    &response, name.c_str(), service.serviceType.c_str(), result.name.c_str(),
                    result.as_cdata ? nullptr : xml::ValidText(result.value).c_str()) ==
                    UPNP_E_SUCCESS &&
                (!result.as_cdata || AppendCdata(response, result.value));
            if (!added) {
                LogLine(FrameworkLog(), LogLevel::Error)
                    << "UpnpAddToActionResponse failed. " << result.name << ": " << result.value;
                UpnpActionRequest_set_ErrCode(request, upnp_error::kActionFailed);
                break;
            }
        }
    }
    UpnpActionRequest_set_ActionResult(request, response);
    return true;
}

XmlDocumentPtr UpnpAction::CreateRequest() {
    std::vector<ActionParameter> arguments;
    arguments.reserve(inputs.size());
    for (const auto& input : inputs) arguments.emplace_back(input->name, input->Text());
    return BuildRequest(arguments);
}

bool UpnpAction::SetInput(const std::string& argument, const std::string& text) {
    for (const auto& input : inputs)
        if (input->name == argument) return input->SetValue(text);
    return false;
}

std::string UpnpAction::ResponseValue(const std::string& argument) const {
    for (const auto& [arg_name, value] : response_arguments)
        if (arg_name == argument) return value;
    return {};
}

bool UpnpAction::HasResponseValue(const std::string& argument) const {
    for (const auto& entry : response_arguments)
        if (entry.first == argument) return true;
    return false;
}

XmlDocumentPtr UpnpAction::BuildRequest(const std::vector<ActionParameter>& arguments) {
    IXML_Document* doc = UpnpMakeAction(name.c_str(), service.serviceType.c_str(), 0, nullptr);
    if (!doc) return {};
    for (const auto& argument : arguments) {
        if (UpnpAddToAction(&doc, name.c_str(), service.serviceType.c_str(), argument.name.c_str(),
                            xml::ValidText(argument.value).c_str()) != UPNP_E_SUCCESS) {
            LogLine(FrameworkLog(), LogLevel::Error)
                << "UpnpAddToAction failed: " << argument.name << argument.value;
            ixmlDocument_free(doc);
            return {};
        }
    }
    return ShareDocument(doc);
}

bool UpnpAction::BindResponse(XmlDocumentPtr response) {
    std::vector<std::pair<std::string, std::string>> arguments;
    if (response) {
        // The response body's first element holds the out-arguments.
        auto body = xml::ElementsByTag(response.get(), "Body");
        IXML_Node* root = body.empty() ? xml::AsNode(response.get()) : xml::AsNode(body.front());
        auto first = xml::ChildElements(root);
        if (!first.empty()) {
            for (IXML_Element* argument : xml::ChildElements(xml::AsNode(first.front())))
                arguments.emplace_back(xml::LocalName(xml::AsNode(argument)),
                                       xml::AllText(argument));
        }
    }
    BindResponseArguments(std::move(arguments));
    return false;
}

void UpnpAction::BindResponseArguments(std::vector<std::pair<std::string, std::string>> arguments) {
    response_arguments = std::move(arguments);
    for (const auto& [arg_name, text] : response_arguments) {
        for (const auto& binding : outputs) {
            if (binding->name == arg_name) {
                binding->SetValue(text);
                break;
            }
        }
    }
    OnResponse();
}
