#include "StagedProgram.h"

#include <ixml.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr char kLabAddress[] = "198.51.100.1";

struct Launch {
    std::string executable;
    std::vector<std::string> arguments;
    std::string directory;
    std::string serving;  // groups: address, port
};

Launch LaunchOf(StagedProgram::Kind kind, const std::string& stage, const std::string& media) {
    switch (kind) {
        case StagedProgram::Kind::Receiver:
            // Run from its own folder, as installed; no desktop to reach.
            return {stage + "/Halvorn", {}, stage, R"(Initialize address: ([0-9.]+):(\d+))"};
        case StagedProgram::Kind::Renderer:
            return {stage + "/bin/dlna-renderer",
                    {"--null", "--ip", kLabAddress},
                    {},
                    R"(serving http://([0-9.]+):(\d+)/)"};
        case StagedProgram::Kind::Server:
            return {stage + "/bin/dlna-server",
                    {"--ip", kLabAddress, media},
                    {},
                    R"(at http://([0-9.]+):(\d+)/description\.xml)"};
    }
    return {};
}

ChildProcess StartOf(const Launch& launch, const StagedProgram::Environment& environment) {
    ChildProcess::Setup setup;
    setup.directory = launch.directory;
    setup.environment = environment;
    return ChildProcess(launch.executable, launch.arguments, setup);
}

std::string Path(const std::string& url) {
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) return url.empty() || url[0] == '/' ? url : "/" + url;
    const auto slash = url.find('/', scheme + 3);
    return slash == std::string::npos ? "/" : url.substr(slash);
}

struct Document {
    explicit Document(const std::string& text) : doc(ixmlParseBuffer(text.c_str())) {}
    ~Document() {
        if (doc) ixmlDocument_free(doc);
    }
    IXML_Document* doc;
};

std::string ChildText(IXML_Node* parent, const char* name) {
    for (IXML_Node* child = ixmlNode_getFirstChild(parent); child;
         child = ixmlNode_getNextSibling(child)) {
        const char* local = ixmlNode_getLocalName(child);
        if (!local || std::string(local) != name) continue;
        IXML_Node* text = ixmlNode_getFirstChild(child);
        const char* value = text ? ixmlNode_getNodeValue(text) : nullptr;
        return value ? value : "";
    }
    return {};
}

std::vector<IXML_Node*> Elements(IXML_Document* doc, const char* name) {
    std::vector<IXML_Node*> out;
    IXML_NodeList* list = ixmlDocument_getElementsByTagName(doc, name);
    for (unsigned long i = 0; list && i < ixmlNodeList_length(list); ++i)
        out.push_back(ixmlNodeList_item(list, i));
    if (list) ixmlNodeList_free(list);
    return out;
}

}  // namespace

StagedProgram::StagedProgram(Kind kind, const std::string& stage, const std::string& media,
                             const Environment& environment)
    : kind_(kind), process_(StartOf(LaunchOf(kind, stage, media), environment)) {}

const char* StagedProgram::Name(Kind kind) {
    switch (kind) {
        case Kind::Receiver:
            return "Halvorn";
        case Kind::Renderer:
            return "dlna-renderer --null";
        case Kind::Server:
            return "dlna-server";
    }
    return "";
}

bool StagedProgram::WaitUntilServing(int timeout_seconds) {
    // The server announces itself before its folders are shared.
    if (kind_ == Kind::Server &&
        process_.WaitForOutput("dlna-server: shared ", timeout_seconds).empty())
        return false;
    const auto match = process_.WaitForOutput(LaunchOf(kind_, {}, {}).serving, timeout_seconds);
    if (match.size() < 3) return false;
    address_ = match[1];
    port_ = std::stoi(match[2]);
    // The receiver's line comes when libupnp starts, and its description is
    // served before the device is registered: a slowed (sanitized) program
    // is seen in between.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (!AnswersGoodRequest()) {
        if (std::chrono::steady_clock::now() > deadline || !Running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::vector<ServiceEndpoint> StagedProgram::Services() const {
    std::vector<ServiceEndpoint> services;
    const Document description(HttpRequest(address_, port_, "GET", "/description.xml").body);
    if (!description.doc) return services;
    for (IXML_Node* service : Elements(description.doc, "service")) {
        ServiceEndpoint endpoint;
        endpoint.type = ChildText(service, "serviceType");
        endpoint.control_path = Path(ChildText(service, "controlURL"));
        const Document scpd(
            HttpRequest(address_, port_, "GET", Path(ChildText(service, "SCPDURL"))).body);
        if (!scpd.doc) continue;
        for (IXML_Node* action : Elements(scpd.doc, "action")) {
            std::vector<std::pair<std::string, std::string>> arguments;
            for (IXML_Node* argument : Elements(scpd.doc, "argument")) {
                // Only this action's own arguments.
                IXML_Node* list = ixmlNode_getParentNode(argument);
                if (!list || ixmlNode_getParentNode(list) != action) continue;
                if (ChildText(argument, "direction") == "in")
                    arguments.emplace_back(ChildText(argument, "name"), "0");
            }
            if (endpoint.action.empty() || arguments.size() > endpoint.arguments.size()) {
                endpoint.action = ChildText(action, "name");
                endpoint.arguments = std::move(arguments);
            }
        }
        services.push_back(std::move(endpoint));
    }
    return services;
}

WireResponse StagedProgram::GoodRequest() const {
    switch (kind_) {
        case Kind::Receiver:
            return SoapCall(address_, port_, "/control/tvcontrol",
                            "urn:tundric-com:service:tvcontrol:1", "GetTVMode", {});
        case Kind::Renderer:
            return SoapCall(address_, port_, "/AVTransport/control",
                            "urn:schemas-upnp-org:service:AVTransport:1", "GetTransportInfo",
                            {{"InstanceID", "0"}});
        case Kind::Server:
            return SoapCall(address_, port_, "/ContentDirectory/control",
                            "urn:schemas-upnp-org:service:ContentDirectory:1", "Browse",
                            {{"ObjectID", "0"},
                             {"BrowseFlag", "BrowseDirectChildren"},
                             {"Filter", "*"},
                             {"StartingIndex", "0"},
                             {"RequestedCount", "0"},
                             {"SortCriteria", ""}});
    }
    return {};
}

bool StagedProgram::AnswersGoodRequest() const {
    const WireResponse response = GoodRequest();
    if (response.status != 200) return false;
    switch (kind_) {
        case Kind::Receiver:
            return XmlElementText(response.body, "ModeValue") == "TvMode";
        case Kind::Renderer:
            return !XmlElementText(response.body, "CurrentTransportState").empty();
        case Kind::Server:
            return response.body.find("Result") != std::string::npos;
    }
    return false;
}
