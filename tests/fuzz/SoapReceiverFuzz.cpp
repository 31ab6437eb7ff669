// SOAP argument binding of the receiver's seven services, as libupnp hands a
// control request to the device. Input: one line "<service> <action>" (the
// control URL and SOAPACTION header libupnp routes by; <service> is the last
// part of the serviceId), then the action element. Input reaches a recorder,
// never the desktop.
#include <unistd.h>

#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "InputInjector.h"
#include "TVControlServiceFactory.h"
#include "TvInputControl.h"
#include "TvKeyControlControl.h"
#include "TvKeyMapService.h"
#include "TvMouseControlControl.h"

namespace {

constexpr const char* kServices[] = {"tvcontrol",         "TvMouseControl", "TvMouseInput",
                                     "TvKeyboardInput",   "TvTouchInput",   "TvAccelerometerInput",
                                     "TvOrientationInput"};

struct Receiver {
    std::vector<std::shared_ptr<UpnpService>> services;
    platform::RecordingInjector* recorder = nullptr;
};

Receiver& TheReceiver() {
    static Receiver receiver = [] {
        Receiver made;
        const std::string key_map = ShippedData("tvos_ir_keys.xml");
        auto injector = std::make_unique<platform::RecordingInjector>();
        made.recorder = injector.get();

        // The live-capture scripts run from the working directory; these print
        // text that must be escaped in the response.
        WriteScratchFile("briskengeturlinfo.bat", "printf 'rtsp://a/<live>&\"x\"\\n'\n");
        WriteScratchFile("briskengethttpserverurl.bat", "printf ']]>\\001\\r\\n'\n");
        if (chdir(ScratchFolder().c_str()) != 0) std::abort();

        TVControlServiceFactory factory(
            std::make_shared<TvInputControl>(std::move(injector), 65536, 65536),
            std::make_shared<TvKeyControlControl>(key_map, ShippedData("ServiceList.xml")),
            std::make_shared<TvMouseControlControl>(key_map));
        for (const char* name : kServices) {
            const std::string type = std::string("urn:tundric-com:service:") + name + ":1";
            auto service = factory.CreateService(
                {}, {type, std::string("urn:tundric-com:serviceId:") + name, "", "", ""});
            if (auto* keyed = dynamic_cast<TvKeyMapService*>(service.get()))
                keyed->LoadKeyMap(key_map);
            const UniqueXmlDocument scpd(
                ixmlLoadDocument(ShippedData(std::string("web/") + name + ".xml").c_str()));
            if (!service || !scpd || !service->LoadActionsFrom(scpd.get())) std::abort();
            made.services.push_back(std::move(service));
        }
        return made;
    }();
    return receiver;
}

}  // namespace

HALVORN_FUZZ_TARGET(soap_receiver) {
    Receiver& receiver = TheReceiver();
    // libupnp parses the body before it calls the device; what it cannot
    // parse never reaches us.
    auto route = ParseFuzzRoute(AsText(data, size));
    if (!route) return;
    const std::string service_id = "urn:tundric-com:serviceId:" + route->service;
    const std::string& action = route->action;
    IXML_Document* document = ParseFuzzBody(route->body);
    if (!document) return;

    receiver.recorder->batches.clear();
    FuzzActionRequest request(action, service_id, document);
    for (const auto& service : receiver.services) {
        if (service->Info().serviceId != service_id) continue;
        service->Dispatch(request.get());
        request.CheckAnswer(action, service->Info().serviceType);
    }
    for (const auto& batch : receiver.recorder->batches) {
        FUZZ_CHECK(!batch.empty() && batch.size() <= 2);
        for (const auto& record : batch) FUZZ_CHECK(platform::IsSupportedRecord(record));
    }
}
