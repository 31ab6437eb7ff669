// The key-map loader of the two services whose actions a key map names:
// "key" entries for tvcontrol, "mouse" entries for TvMouseControl. Input:
// the key-map file. Every action a map creates is then called once.
#include <set>

#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "TvKeyControlService.h"
#include "TvMouseControlService.h"

namespace {

const UniqueXmlDocument& Scpd(const std::string& name) {
    static std::map<std::string, UniqueXmlDocument> loaded;
    auto& doc = loaded[name];
    if (!doc) doc.reset(ixmlLoadDocument(ShippedData("web/" + name).c_str()));
    if (!doc) std::abort();
    return doc;
}

void LoadAndCall(TvKeyMapService& service, const std::string& path, const std::string& scpd,
                 const std::set<std::string>& fixed) {
    if (!service.LoadKeyMap(path)) {
        FUZZ_CHECK(service.KeyMap().empty());
        return;
    }
    service.LoadActionsFrom(Scpd(scpd).get());
    for (const auto& action : service.Actions()) {
        // A map entry hides a fixed action of the same name.
        const bool mapped = service.KeyMap().count(action->Name()) != 0;
        FUZZ_CHECK(mapped || fixed.count(action->Name()) != 0);
        if (!mapped) continue;
        const std::string type = service.Info().serviceType;
        const std::string body = "<u:" + action->Name() + " xmlns:u=\"" + type + "\"/>";
        FuzzActionRequest request(action->Name(), service.Info().serviceId,
                                  ixmlParseBuffer(body.c_str()));
        FUZZ_CHECK(service.Dispatch(request.get()));
        request.CheckAnswer(action->Name(), type);
    }
}

}  // namespace

HALVORN_FUZZ_TARGET(key_map) {
    if (!IxmlReadsSafely(AsText(data, size))) return;
    const std::string path = WriteScratchFile("tvos_ir_keys.xml", AsText(data, size));
    TvKeyControlService keys(
        {"urn:tundric-com:service:tvcontrol:1", "urn:tundric-com:serviceId:tvcontrol", "", "", ""},
        std::make_shared<TvKeyControlControl>(path, ""));
    LoadAndCall(keys, path, "tvcontrol.xml",
                {"StartTVLive", "StopTVLive", "SendString", "GetTVLiveAddr",
                 "GetTVLiveNegotiatedAddr", "GetTVMode", "GetServiceList"});
    TvMouseControlService mouse({"urn:tundric-com:service:TvMouseControl:1",
                                 "urn:tundric-com:serviceId:TvMouseControl", "", "", ""},
                                std::make_shared<TvMouseControlControl>(path));
    LoadAndCall(mouse, path, "TvMouseControl.xml", {"MouseMove", "MouseMoveEx"});
}
