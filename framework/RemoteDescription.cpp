#include "RemoteDescription.h"

#include <algorithm>
#include <cstring>

#include "HttpGet.h"
#include "ServiceList.h"
#include "UpnpClient.h"
#include "UpnpDevice.h"
#include "UpnpServiceFactory.h"

namespace {

bool FieldsFit(const DeviceInfo& info, size_t limit) {
    for (const std::string* field :
         {&info.deviceType, &info.friendlyName, &info.manufacturer, &info.manufacturerURL,
          &info.modelDescription, &info.modelName, &info.modelNumber, &info.modelURL,
          &info.serialNumber, &info.UDN, &info.UPC}) {
        if (field->size() > limit) return false;
    }
    return true;
}

bool FieldsFit(const ServiceInfo& service, size_t limit) {
    for (const std::string* field : {&service.serviceType, &service.serviceId, &service.controlURL,
                                     &service.eventSubURL, &service.SCPDURL}) {
        if (field->empty() || field->size() > limit) return false;
    }
    return true;
}

}  // namespace

bool WithinDescriptionLimits(std::string_view text, const DescriptionLimits& limits) {
    int nodes = 0, depth = 0;
    size_t at = 0;
    // Skips past `close`; false when the document ends first.
    auto skip_past = [&](std::string_view close) {
        const size_t end = text.find(close, at);
        if (end == std::string_view::npos) return false;
        at = end + close.size();
        return true;
    };
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("<!--")) {
            if (!skip_past("-->")) return false;
        } else if (rest.starts_with("<![CDATA[")) {
            if (!skip_past("]]>")) return false;
        } else if (rest.starts_with("<?")) {
            if (!skip_past("?>")) return false;
        } else if (rest.starts_with("<!") || rest.starts_with("</")) {
            if (rest[1] == '/') --depth;
            if (!skip_past(">")) return false;
        } else {
            // A start tag: count it and its attributes, up to the '>' that is
            // not inside a quoted value.
            char quote = 0;
            size_t i = at + 1;
            ++nodes;
            for (; i < text.size(); ++i) {
                const char c = text[i];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    ++nodes;
                } else if (c == '>') {
                    break;
                }
            }
            if (i >= text.size() || depth + 1 > limits.max_depth) return false;
            if (text[i - 1] != '/') ++depth;
            at = i + 1;
        }
        if (nodes > limits.max_nodes) return false;
    }
    return true;
}

int DownloadDescription(const std::string& location, const DescriptionLimits& limits, int seconds,
                        const std::atomic<bool>* cancel, UniqueXmlDocument* doc) {
    std::string text;
    if (int rc = HttpGet(location, {limits.max_bytes, seconds}, cancel, &text); rc != 0) return rc;
    // ixml reads up to the first NUL; what follows it is never looked at.
    text.resize(std::strlen(text.c_str()));
    if (!WithinDescriptionLimits(text, limits)) return UPNP_E_INVALID_DESC;
    doc->reset(ixmlParseBuffer(text.c_str()));
    return *doc ? 0 : UPNP_E_INVALID_DESC;
}

std::vector<std::shared_ptr<UpnpClient>> ReadRemoteDevices(
    IXML_Document* doc, const DescriptionSource& source, UpnpClient_Handle handle,
    const std::shared_ptr<UpnpServiceFactory>& factory, const DescriptionLimits& limits) {
    std::vector<std::shared_ptr<UpnpClient>> clients;
    auto elements = xml::ElementsByTag(doc, "device");
    if (elements.size() > limits.max_devices) elements.resize(limits.max_devices);
    for (IXML_Element* element : elements) {
        std::vector<ServiceInfo> entries = ReadServiceList(element, source.location);
        std::erase_if(entries, [&](const ServiceInfo& entry) {
            return !FieldsFit(entry, limits.max_field_length);
        });
        if (entries.empty()) continue;
        if (entries.size() > limits.max_services) entries.resize(limits.max_services);

        DeviceInfo info = UpnpDevice::ReadInfo(element);
        if (!info.Valid() || !FieldsFit(info, limits.max_field_length)) continue;
        info.location = source.location;
        info.address = source.address;
        info.port = source.port;

        std::vector<std::shared_ptr<UpnpService>> services;
        for (const ServiceInfo& entry : entries) {
            auto service = factory ? factory->CreateService(DeviceInfo{}, entry)
                                   : std::make_shared<UpnpService>(entry);
            if (service) services.push_back(std::move(service));
        }
        clients.push_back(std::make_shared<UpnpClient>(std::move(info), handle, std::move(services),
                                                       source.max_age));
    }
    return clients;
}
