#include "UpnpRootDevice.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "Logger.h"
#include "UpnpExtensions.h"
#include "UpnpService.h"
#include "UpnpUtility.h"
#include "VirtualFileRegistry.h"

namespace fs = std::filesystem;

namespace {

constexpr int kInvalidDescription = UPNP_E_INVALID_DESC;  // -107

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

void ReplaceFirst(std::string& text, const std::string& placeholder, const std::string& value,
                  bool* replaced) {
    auto at = text.find(placeholder);
    if (at == std::string::npos) return;
    text.replace(at, placeholder.size(), value);
    *replaced = true;
}

}  // namespace

UpnpRootDevice::~UpnpRootDevice() {
    Stop();
    factory.reset();
}

void UpnpRootDevice::Stop() {
    ForEachService([](const UpnpDevice&, const std::shared_ptr<UpnpService>& service) {
        service->Events()->Detach();
    });
    if (registered) {
        const int rc = UpnpUnRegisterRootDevice(handle);
        // After UpnpFinish the device is unregistered already.
        if (rc != UPNP_E_SUCCESS && rc != UPNP_E_FINISH)
            LogLine(FrameworkLog(), LogLevel::Error) << "UpnpUnRegisterRootDevice failed: " << rc;
        registered = false;
        handle = -1;
    }
    VirtualFileRegistry::Instance().RemoveOwnedBy(this);
}

void UpnpRootDevice::AddFilter(std::shared_ptr<ActionFilter> filter) {
    if (!filter) return;
    for (const auto& existing : filters)
        if (existing->IsSame(*filter)) return;
    filters.push_back(std::move(filter));
}

int UpnpRootDevice::PrepareDescription(IXML_Document* doc, const std::string& address) {
    std::string serial = "105075";
    try {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        serial = std::to_string(std::rand());
    } catch (...) {
        LogLine(FrameworkLog(), LogLevel::Error) << "sarnix_bulletin exception";
    }
    LogLine(FrameworkLog(), LogLevel::Silent) << "SerialNumber: " << serial;
    auto serials = xml::ElementsByTag(doc, "serialNumber");
    if (serials.empty()) {
        LogLine(FrameworkLog(), LogLevel::Error) << "Can't set the serial number.";
        return kInvalidDescription;
    }
    // Only elements that already hold text are changed.
    for (IXML_Element* element : serials)
        if (xml::HasText(element)) xml::SetText(doc, element, serial);

    auto udns = xml::ElementsByTag(doc, "UDN");
    if (udns.empty()) {
        LogLine(FrameworkLog(), LogLevel::Error)
            << "Can't find the " << "UDN" << " tag in the description xml.\n";
        LogLine(FrameworkLog(), LogLevel::Error) << "Can't set the UDN.";
        return kInvalidDescription;
    }
    for (IXML_Element* element : udns) {
        if (!xml::HasText(element)) continue;
        char uuid[64] = {};
        UpnpUuidUnpack(uuid);
        xml::SetText(doc, element, std::string("uuid:") + uuid);
    }

    auto descriptions = xml::ElementsByTag(doc, "modelDescription");
    if (!descriptions.empty() && xml::HasText(descriptions.front())) {
        std::string text = xml::Text(descriptions.front());
        bool replaced = false;
        ReplaceFirst(text, "%IP%", address, &replaced);
        if (text.find("%HOSTNAME%") != std::string::npos) {
            std::string host = HostName();
            if (!host.empty()) ReplaceFirst(text, "%HOSTNAME%", host, &replaced);
        }
        if (replaced)
            for (IXML_Element* element : descriptions)
                if (xml::HasText(element)) xml::SetText(doc, element, text);
    }
    return 0;
}

int UpnpRootDevice::Start(const std::string& path, const std::string& address) {
    if (int rc = Load(path, address); rc != 0) return rc;
    const std::string text = ServedDescription();
    int rc = UpnpRegisterRootDevice2(UPNPREG_BUF_DESC, text.c_str(), text.size(), 1,
                                     &UpnpUtility::DeviceCallback, owner, &handle);
    if (rc != UPNP_E_SUCCESS) {
        LogLine(FrameworkLog(), LogLevel::Error) << "UpnpRegisterRootDevice failed!";
        return rc;
    }
    registered = true;
    // A subscriber that vanished costs a failed delivery per event until its
    // subscription ends: none may ask for forever, nor may they crowd in.
    UpnpSetMaxSubscriptionTimeOut(handle, kMaxSubscriptionSeconds);
    UpnpSetMaxSubscriptions(handle, kMaxSubscriptions);
    // Before any request: the runtime's lock, held by our caller, keeps the
    // subscriptions waiting until every service can take them.
    ForEachService([this](const UpnpDevice& device, const std::shared_ptr<UpnpService>& service) {
        if (!service->Events()->Evented().empty())
            service->Events()->Attach(handle, device.Info().UDN);
    });
    // libupnp advertises again every Exp/2 - 30 s, and raises an Exp of 60 or
    // less to 62: 60 meant 32 SSDP packets a second, each burst holding the
    // handle lock that every event delivery needs. 100 gives a re-advertisement
    // every 20 s, as gmediarender sends them, and a crashed device still ages
    // out within 100 s.
    rc = UpnpSendAdvertisement(handle, kAdvertisementSeconds);
    if (rc != UPNP_E_SUCCESS) {
        LogLine(FrameworkLog(), LogLevel::Error) << "UpnpSendAdvertisement failed.";
        return rc;
    }
    return 0;
}

int UpnpRootDevice::Load(const std::string& path, const std::string& address) {
    UniqueXmlDocument doc(ixmlLoadDocument(path.c_str()));
    if (!doc) {
        LogLine(FrameworkLog(), LogLevel::Error) << settings.load_failure << path;
        return kInvalidDescription;
    }
    if (int rc = PrepareDescription(doc.get(), address); rc != 0) return rc;

    VirtualFileRegistry::InstallCallbacks();
    UpnpAddVirtualDir("/", nullptr, nullptr);

    description_path = path;
    file_owner = this;
    auto& registry = VirtualFileRegistry::Instance();
    std::string text = xml::Serialize(doc.get());
    registry.AddMemoryFile(path, "/description.xml", "text/xml", FileLastWriteSeconds(path),
                           text.data(), text.size(), this);

    const fs::path directory = fs::path(path).parent_path();
    for (IXML_Element* element : xml::ElementsByTag(doc.get(), "SCPDURL")) {
        std::string relative = xml::Text(element);
        while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
        const fs::path disk = directory / relative;
        std::error_code ec;
        if (relative.empty() || !fs::is_regular_file(disk, ec)) {
            LogLine(FrameworkLog(), LogLevel::Error)
                << "The xml doesn't exists.: " << disk.string();
            return kInvalidDescription;
        }
        registry.AddDiscFile(disk.string(), "/" + disk.filename().string(), "text/xml", this);
    }

    auto devices = xml::ElementsByTag(doc.get(), "device");
    if (!devices.empty()) Build(devices.front(), factory);
    return 0;
}

std::string UpnpRootDevice::ServedDescription() {
    return VirtualFileRegistry::Instance().ReadByPath(description_path);
}

int UpnpRootDevice::RewriteDescription(const std::string& marker, const std::string& text,
                                       const std::string& element_name) {
    std::string served = ServedDescription();
    UniqueXmlDocument doc(served.empty() ? nullptr : ixmlParseBuffer(served.c_str()));
    if (!doc) {
        LogLine(FrameworkLog(), LogLevel::Error) << settings.parse_failure << description_path;
        return 1;
    }
    auto elements = xml::ElementsByTag(doc.get(), element_name);
    if (elements.empty()) {
        LogLine(FrameworkLog(), LogLevel::Error)
            << "Can't find the " << element_name << " tag in the description xml.\n";
        return 2;
    }
    for (IXML_Element* element : elements) {
        std::string current = xml::Text(element);
        auto at = current.rfind(marker);
        if (at == std::string::npos) continue;
        std::string updated = current.substr(0, at + marker.size()) + text;
        xml::SetText(doc.get(), element, updated);
        if (element_name == "modelDescription") info.modelDescription = updated;
        if (element_name == "serialNumber") info.serialNumber = updated;
    }
    UpnpFileInfo* file_info = UpnpFileInfo_new();
    int64_t modified = VirtualFileRegistry::Instance().GetInfoByPath(description_path, file_info)
                           ? static_cast<int64_t>(UpnpFileInfo_get_LastModified(file_info))
                           : 0;
    UpnpFileInfo_delete(file_info);
    ServeDescription(xml::Serialize(doc.get()), modified);
    return 0;
}

int UpnpRootDevice::OnIPChanged(const UpnpAddressChangedEvent* event) {
    if (!event || !event->address) {
        LogLine(FrameworkLog(), LogLevel::Error) << settings.invalid_address;
        return -1;
    }
    const int port = settings.address_event_has_port ? event->port : info.port;
    std::string path = info.location;
    auto scheme = path.find("://");
    auto slash = path.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    path = slash == std::string::npos ? "/" : path.substr(slash);
    info.location = "http://" + std::string(event->address) + ":" + std::to_string(port) + path;
    info.address = event->address;
    info.port = port;
    if (owner) owner->NotifyAddressChanged(info.address, port);
    return RewriteDescription(":", event->address, "modelDescription");
}

int UpnpRootDevice::OnMACChanged(const char* mac) {
    if (!mac) {
        LogLine(FrameworkLog(), LogLevel::Error) << "OnMACChanged: invalid mac";
        return -1;
    }
    return RewriteDescription("TV", mac, "serialNumber");
}

void UpnpRootDevice::ForEachService(
    const std::function<void(const UpnpDevice&, const std::shared_ptr<UpnpService>&)>& visit)
    const {
    std::vector<const UpnpDevice*> pending{this};
    while (!pending.empty()) {
        const UpnpDevice* device = pending.back();
        pending.pop_back();
        for (const auto& service : device->Services()) visit(*device, service);
        for (const auto& child : device->Devices()) pending.push_back(child.get());
    }
}

bool UpnpRootDevice::OnSubscriptionRequest(const void* event) {
    const auto* request = static_cast<const UpnpSubscriptionRequest*>(event);
    if (!request) return false;
    const std::string udn = UpnpSubscriptionRequest_get_UDN_cstr(request);
    const std::string service_id = UpnpSubscriptionRequest_get_ServiceId_cstr(request);
    const std::string sid = UpnpSubscriptionRequest_get_SID_cstr(request);
    bool found = false;
    ForEachService([&](const UpnpDevice& device, const std::shared_ptr<UpnpService>& service) {
        if (found || device.Info().UDN != udn || service->Info().serviceId != service_id) return;
        found = true;
        // Until accepted, libupnp sends the subscriber nothing; the first
        // event is the state when it goes.
        later.After(kInitialEventDelay, [service, sid] {
            service->Events()->Accept(sid, [&] { return service->InitialEvent(); });
        });
    });
    return found;
}
