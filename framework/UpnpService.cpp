#include "UpnpService.h"

#include <string_view>

#include "Logger.h"

std::shared_ptr<UpnpAction> UpnpService::CreateAction(const std::string& name) {
    for (const auto& [offered, make] : action_table)
        if (offered == name) return make();
    return nullptr;
}

bool UpnpService::LoadActions() {
    IXML_Document* raw = nullptr;
    if (UpnpDownloadXmlDoc(service.SCPDURL.c_str(), &raw) != UPNP_E_SUCCESS || !raw) return false;
    UniqueXmlDocument scpd(raw);
    return LoadActionsFrom(scpd.get());
}

EventValues UpnpService::InitialEvent() {
    EventValues values;
    for (const std::string& name : events->Evented()) values.emplace_back(name, "");
    return values;
}

bool UpnpService::LoadActionsFrom(IXML_Document* scpd) {
    std::vector<std::string> evented;
    for (IXML_Element* variable : xml::ElementsByTag(scpd, "stateVariable")) {
        const char* send = ixmlElement_getAttribute(variable, "sendEvents");
        if (!send || std::string_view(send) != "yes") continue;
        if (std::string name = xml::FirstText(xml::AsNode(variable), "name"); !name.empty())
            evented.push_back(std::move(name));
    }
    events->SetEvented(std::move(evented));
    auto elements = xml::ElementsByTag(scpd, "action");
    if (elements.empty()) return false;
    for (IXML_Element* element : elements) {
        auto names = xml::ChildElements(xml::AsNode(element), "name");
        if (names.empty()) {
            LogLine(FrameworkLog(), LogLevel::Warning) << "Can't find the action name";
            continue;
        }
        std::string name = xml::Text(names.front());
        if (auto action = CreateAction(name)) {
            actions.push_back(std::move(action));
        } else {
            LogLine(FrameworkLog(), LogLevel::Info)
                << "Create Action failed: " << name << ", url: " << service.SCPDURL;
        }
    }
    return true;
}

bool UpnpService::Dispatch(UpnpActionRequest* request) {
    for (const auto& action : actions) {
        if (action->Handle(request)) return true;
    }
    return false;
}
