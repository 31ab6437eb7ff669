// The description loader with its rewrites: a device description as the
// root device loads it (serial number, UDNs, placeholders, SCPD files, the
// serviceList of every device), then the address, hardware-address and
// identity rewrites of the served copy. Input: the description file, which
// lies beside the shipped SCPDs of both programs. Nothing is registered with
// libupnp and no SCPD is downloaded.
#include <filesystem>
#include <fstream>
#include <set>

#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "UpnpRootDevice.h"

namespace fs = std::filesystem;

namespace {

// Services that load no actions: LoadActions would fetch the SCPD over HTTP.
class OfflineService : public UpnpService {
public:
    using UpnpService::UpnpService;
    bool LoadActions() override { return true; }
};

class OfflineFactory : public UpnpServiceFactory {
public:
    std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                               const ServiceInfo& service) override {
        FUZZ_CHECK(device.Valid());
        FUZZ_CHECK(!service.serviceType.empty() && !service.serviceId.empty());
        if (service.serviceType.find("Unknown") != std::string::npos) return nullptr;
        return std::make_shared<OfflineService>(service);
    }
};

const std::string& WebFolder() {
    static const std::string folder = [] {
        const fs::path web = fs::path(ScratchFolder()) / "web";
        fs::create_directories(web);
        for (const char* shipped : {"web", "dlna/web"})
            for (const auto& entry : fs::directory_iterator(ShippedData(shipped)))
                fs::copy_file(entry.path(), web / entry.path().filename(),
                              fs::copy_options::overwrite_existing);
        return web.string();
    }();
    return folder;
}

// The served description, parsed; it must always parse.
UniqueXmlDocument Served(UpnpRootDevice& device) {
    const std::string text = device.ServedDescription();
    UniqueXmlDocument doc(ixmlParseBuffer(text.c_str()));
    FUZZ_CHECK(doc != nullptr);
    return doc;
}

void CheckIdentity(IXML_Document* doc) {
    std::set<std::string> udns;
    size_t with_text = 0;
    for (IXML_Element* udn : xml::ElementsByTag(doc, "UDN")) {
        if (!xml::HasText(udn)) continue;
        ++with_text;
        FUZZ_CHECK(xml::Text(udn).rfind("uuid:", 0) == 0);
        udns.insert(xml::Text(udn));
    }
    FUZZ_CHECK(udns.size() == with_text);
    std::set<std::string> serials;
    for (IXML_Element* serial : xml::ElementsByTag(doc, "serialNumber"))
        if (xml::HasText(serial)) serials.insert(xml::Text(serial));
    FUZZ_CHECK(serials.size() <= 1);
}

}  // namespace

HALVORN_FUZZ_TARGET(description) {
    if (!IxmlReadsSafely(AsText(data, size))) return;
    const std::string path = WebFolder() + "/description.xml";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    RootDeviceSettings settings;
    settings.address_event_has_port = size % 2 == 0;
    UpnpRootDevice device(nullptr, std::make_shared<OfflineFactory>(), settings);
    if (device.Load(path, "198.51.100.1") != 0) return;
    if (auto doc = Served(device)) CheckIdentity(doc.get());

    const UpnpAddressChangedEvent moved{"198.51.100.7", 5000};
    const int ip = device.OnIPChanged(&moved);
    FUZZ_CHECK(ip == 0 || ip == 2);
    if (ip == 0) FUZZ_CHECK(device.Info().location.rfind("http://198.51.100.7:", 0) == 0);
    const int mac = device.OnMACChanged("0a:1b:2c:3d:4e:5f");
    FUZZ_CHECK(mac == 0 || mac == 2);
    Served(device);

    DeviceInfo hostile = device.Info();
    hostile.friendlyName = "<b>&amp;\"'</b>]]> \xc3\xa9";
    FUZZ_CHECK(device.SetDeviceInfo(hostile) == 0);
    if (auto doc = Served(device)) {
        for (IXML_Element* element : xml::ElementsByTag(doc.get(), "device")) {
            const auto udns = xml::ChildElements(xml::AsNode(element), "UDN");
            if (udns.empty() || xml::Text(udns.front()) != hostile.UDN) continue;
            for (IXML_Element* name : xml::ChildElements(xml::AsNode(element), "friendlyName"))
                FUZZ_CHECK(xml::AllText(name) == hostile.friendlyName);
            break;
        }
    }
}
