// SOAP argument binding of the library's services: the renderer's five and
// the server's ContentDirectory, ConnectionManager and Authentication, made
// by the library's factory as for its own devices, with Browse behind the
// authentication filter. Input: one line "<service> <action>" (the service
// by its SCPD's name; "ServerConnectionManager" for the server's), then the
// action element. The host callback answers every event with success.
#include <arpa/inet.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "DLNA.h"
#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "NeighbourTable.h"
#include "UpnpService.h"
#include "Xml.h"
#include "api/DLNAContext.h"
#include "api/DLNAServiceFactory.h"
#include "common/DeviceTypes.h"
#include "server/AuthenticationActionFilter.h"
#include "server/AuthenticationManager.h"

namespace fs = std::filesystem;

namespace {

struct Service {
    std::shared_ptr<UpnpService> service;
    bool guarded = false;  // Browse passes the authentication filter first
};

struct Library {
    std::map<std::string, Service> services;
    std::shared_ptr<AuthenticationManager> manager;
    std::shared_ptr<AuthenticationActionFilter> filter;
};

int AnswerEverything(DLNA_EVENT, void*, void*) {
    return 0;
}

Library& TheLibrary() {
    static Library library = [] {
        Library made;
        DLNA_SetCallback(&AnswerEverything, nullptr);
        // A few shared files, so that Browse finds containers and items.
        const fs::path media = fs::path(ScratchFolder()) / "media";
        fs::create_directories(media);
        for (const auto& [name, mime] :
             {std::pair{"a b&c.mp3", "audio/mpeg"}, std::pair{"v.mp4", "video/mp4"},
              std::pair{"p.jpg", "image/jpeg"}}) {
            std::ofstream(media / name) << name;
            DLNA_SHARE_OBJECT object{mime, 8, 1000};
            DLNA_DMS_AddShareObject((media / name).c_str(), &object);
        }
        // The client at 198.51.100.2 has a hardware address; its challenge
        // is fixed, so that a digest can be found.
        auto table = std::make_shared<platform::StaticNeighbourTable>();
        in_addr client{};
        inet_pton(AF_INET, "198.51.100.2", &client);
        table->Set(client, {0x02, 0, 0, 0, 0, 0x02});
        static HardwareAddressCache cache(table);
        auto manager = std::make_shared<AuthenticationManager>(
            cache, [](size_t count) { return std::optional<Bytes>(Bytes(count, 0x5a)); });
        made.manager = manager;
        made.filter = std::make_shared<AuthenticationActionFilter>("Browse", manager);

        DLNAContext& context = DLNAContext::Instance();
        DLNAServiceFactory factory(&context.Renderer(), &context.Server(), manager,
                                   &DLNAContext::Shares());
        const struct {
            const char* name;
            const char* type;
            const char* scpd;
            const char* device;
        } kServices[] = {
            {"AVTransport", kAVTransportType, "AVTransport.xml", kMediaRendererType},
            {"RenderingControl", kRenderingControlType, "RenderingControl.xml", kMediaRendererType},
            {"RenderingControlExtension", kTundricRenderingControlExType,
             "RenderingControlExtension.xml", kMediaRendererType},
            {"ConnectionManager", kConnectionManagerType, "ConnectionManager.xml",
             kMediaRendererType},
            {"ConnectionManagerExtension", kTundricConnectionManagerExType,
             "ConnectionManagerExtension.xml", kMediaRendererType},
            {"ContentDirectory", kContentDirectoryType, "ContentDirectory.xml", kMediaServerType},
            {"ServerConnectionManager", kConnectionManagerType, "ConnectionManager.xml",
             kMediaServerType},
            {"Authentication", kAuthenticationType, "Authentication.xml", kMediaServerType},
        };
        for (const auto& entry : kServices) {
            DeviceInfo device;
            device.deviceType = entry.device;
            auto service = factory.CreateService(
                device, {entry.type, std::string("urn:fuzz:serviceId:") + entry.name, "", "", ""});
            const UniqueXmlDocument scpd(
                ixmlLoadDocument(ShippedData(std::string("dlna/web/") + entry.scpd).c_str()));
            if (!service || !scpd || !service->LoadActionsFrom(scpd.get())) std::abort();
            made.services[entry.name] = {service, entry.type == std::string(kContentDirectoryType)};
        }
        return made;
    }();
    return library;
}

}  // namespace

HALVORN_FUZZ_TARGET(soap_library) {
    Library& library = TheLibrary();
    auto route = ParseFuzzRoute(AsText(data, size));
    if (!route) return;
    const auto found = library.services.find(route->service);
    if (found == library.services.end()) return;
    const std::string& action = route->action;
    IXML_Document* document = ParseFuzzBody(route->body);
    if (!document) return;

    // Every input starts with no client authenticated. Browse is fuzzed
    // without a password (known clients pass the filter), the exchange with one.
    library.manager->SetPassword(found->first == "Authentication" ? "secret" : "");
    UpnpService& service = *found->second.service;
    FuzzActionRequest request(action, service.Info().serviceId, document);
    // The device runs its filters before any service sees the request.
    if (found->second.guarded) FUZZ_CHECK(library.filter->Accept(request.get()));
    service.Dispatch(request.get());
    request.CheckAnswer(action, service.Info().serviceType);
}
