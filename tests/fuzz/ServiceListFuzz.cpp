// The service-list file as the receiver serves it through GetServiceList.
// Input: the file. What the client reads back from the response must be the
// document as the receiver read it.
#include <memory>

#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "TvKeyControlControl.h"
#include "TvKeyControlService.h"

HALVORN_FUZZ_TARGET(service_list_file) {
    if (!IxmlReadsSafely(AsText(data, size))) return;
    const std::string path = WriteScratchFile("ServiceList.xml", AsText(data, size));
    // Every input is written to the same file, so one control serves them all.
    static const auto control = std::make_shared<TvKeyControlControl>("", path);
    const std::string served = control->ReadServiceList();

    static const auto service = [] {
        auto made = std::make_unique<TvKeyControlService>(
            ServiceInfo{"urn:tundric-com:service:tvcontrol:1",
                        "urn:tundric-com:serviceId:tvcontrol", "", "", ""},
            control);
        const UniqueXmlDocument scpd(ixmlLoadDocument(ShippedData("web/tvcontrol.xml").c_str()));
        if (!scpd || !made->LoadActionsFrom(scpd.get())) std::abort();
        return made;
    }();
    const std::string type = service->Info().serviceType;
    const std::string body = "<u:GetServiceList xmlns:u=\"" + type + "\"/>";
    FuzzActionRequest request("GetServiceList", service->Info().serviceId,
                              ixmlParseBuffer(body.c_str()));
    FUZZ_CHECK(service->Dispatch(request.get()));
    request.CheckAnswer("GetServiceList", type);
    const auto values =
        xml::ElementsByTag(UpnpActionRequest_get_ActionResult(request.get()), "ReturnValue");
    FUZZ_CHECK(values.size() == 1);
    if (values.size() == 1) FUZZ_CHECK(xml::AllText(values.front()) == served);
}
