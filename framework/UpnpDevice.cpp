#include "UpnpDevice.h"

#include <chrono>
#include <cstdlib>

#include "Logger.h"
#include "ServiceList.h"
#include "UpnpUtility.h"
#include "VirtualFileRegistry.h"

namespace {

// The identity elements of a device and the fields they fill.
const std::pair<const char*, std::string DeviceInfo::*> kIdentityFields[] = {
    {"deviceType", &DeviceInfo::deviceType},
    {"friendlyName", &DeviceInfo::friendlyName},
    {"manufacturer", &DeviceInfo::manufacturer},
    {"manufacturerURL", &DeviceInfo::manufacturerURL},
    {"modelDescription", &DeviceInfo::modelDescription},
    {"modelName", &DeviceInfo::modelName},
    {"modelNumber", &DeviceInfo::modelNumber},
    {"modelURL", &DeviceInfo::modelURL},
    {"serialNumber", &DeviceInfo::serialNumber},
    {"UDN", &DeviceInfo::UDN},
    {"UPC", &DeviceInfo::UPC},
};

}  // namespace

DeviceInfo UpnpDevice::ReadInfo(IXML_Element* device) {
    DeviceInfo info;
    for (const auto& [tag, field] : kIdentityFields)
        info.*field = xml::FirstText(xml::AsNode(device), tag);
    return info;
}

void UpnpDevice::Build(IXML_Element* device, const std::shared_ptr<UpnpServiceFactory>& factory) {
    DeviceInfo read = ReadInfo(device);
    const std::string address = UpnpUtility::ServerAddress();
    const int port = UpnpUtility::ServerPort();
    if (read.Valid() && factory) {
        // The SCPDs are fetched from our own web server, which listens only on
        // the address it was started on.
        const std::string base = "http://" + address + ":" + std::to_string(port);
        for (const ServiceInfo& service : ReadServiceList(device, base)) {
            if (auto created = factory->CreateService(read, service)) {
                created->LoadActions();
                services.push_back(std::move(created));
            } else {
                LogLine(FrameworkLog(), LogLevel::Warning)
                    << "Create Service failed: " << service.serviceType;
            }
        }
    }
    info = read;
    info.location = "http://" + address + ":" + std::to_string(port) + "/description.xml";
    info.address = address;
    info.port = port;

    for (IXML_Element* list : xml::ChildElements(xml::AsNode(device), "deviceList")) {
        for (IXML_Element* child : xml::ChildElements(xml::AsNode(list), "device")) {
            auto embedded = std::make_shared<UpnpDevice>(description_path);
            embedded->file_owner = file_owner;
            embedded->Build(child, factory);
            devices.push_back(std::move(embedded));
        }
    }
}

bool UpnpDevice::OnActionRequest(UpnpActionRequest* request) {
    for (const auto& filter : filters) {
        if (!filter->Accept(request)) {
            LogLine(FrameworkLog(), LogLevel::Info)
                << "Filter request " << UpnpActionRequest_get_ActionName_cstr(request);
            return false;
        }
    }
    const char* udn = UpnpActionRequest_get_DevUDN_cstr(request);
    if (udn && info.UDN == udn) {
        const char* service_id = UpnpActionRequest_get_ServiceID_cstr(request);
        for (const auto& service : services) {
            if (service_id && service->Info().serviceId == service_id && service->Dispatch(request))
                return true;
        }
        return false;
    }
    for (const auto& device : devices) {
        if (device->OnActionRequest(request)) return true;
    }
    return false;
}

void UpnpDevice::ServeDescription(const std::string& text, int64_t last_modified) {
    VirtualFileRegistry::Instance().AddMemoryFile(description_path, "/description.xml",
                                                  "text/xml", last_modified, text.data(),
                                                  text.size(), file_owner);
}

int UpnpDevice::SetDeviceInfo(const DeviceInfo& new_info) {
    std::string text = VirtualFileRegistry::Instance().ReadByPath(description_path);
    UniqueXmlDocument doc(text.empty() ? nullptr : ixmlParseBuffer(text.c_str()));
    if (!doc) {
        LogLine(FrameworkLog(), LogLevel::Error) << "ixmlParseBuffer failed: " << description_path;
        return 1;
    }
    IXML_Element* mine = nullptr;
    for (IXML_Element* device : xml::ElementsByTag(doc.get(), "device")) {
        auto udns = xml::ChildElements(xml::AsNode(device), "UDN");
        if (!udns.empty() && xml::Text(udns.front()) == info.UDN) {
            mine = device;
            break;
        }
    }
    if (!mine) return 0;
    for (const auto& [tag, field] : kIdentityFields) {
        for (IXML_Element* element : xml::ChildElements(xml::AsNode(mine), tag))
            xml::SetText(doc.get(), element, new_info.*field);
    }
    std::string serialized = xml::Serialize(doc.get());
    auto now = std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
    // Served from memory only: the installed file keeps its placeholders
    // and may not be writable at all.
    ServeDescription(serialized, now);
    std::string location = info.location, address = info.address;
    int port = info.port;
    info = new_info;
    info.location = location;
    info.address = address;
    info.port = port;
    return 0;
}
