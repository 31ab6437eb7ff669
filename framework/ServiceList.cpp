#include "ServiceList.h"

#include <upnp.h>
#include <upnptools.h>

#include <cstdlib>

#include "Xml.h"

std::string ResolveUrl(const std::string& base, const std::string& relative) {
    char* absolute = nullptr;
    if (UpnpResolveURL2(base.c_str(), relative.c_str(), &absolute) != UPNP_E_SUCCESS || !absolute)
        return {};
    std::string result = absolute;
    std::free(absolute);
    return result;
}

std::vector<ServiceInfo> ReadServiceList(IXML_Element* device, const std::string& base_url) {
    std::vector<ServiceInfo> entries;
    for (IXML_Element* list : xml::ChildElements(xml::AsNode(device), "serviceList")) {
        for (IXML_Element* entry : xml::ChildElements(xml::AsNode(list), "service")) {
            IXML_Node* node = xml::AsNode(entry);
            ServiceInfo service;
            service.serviceType = xml::FirstText(node, "serviceType");
            service.serviceId = xml::FirstText(node, "serviceId");
            service.controlURL = xml::FirstText(node, "controlURL");
            service.eventSubURL = xml::FirstText(node, "eventSubURL");
            service.SCPDURL = xml::FirstText(node, "SCPDURL");
            if (service.serviceType.empty() || service.serviceId.empty() ||
                service.controlURL.empty() || service.eventSubURL.empty() ||
                service.SCPDURL.empty())
                continue;
            service.controlURL = ResolveUrl(base_url, service.controlURL);
            service.eventSubURL = ResolveUrl(base_url, service.eventSubURL);
            service.SCPDURL = ResolveUrl(base_url, service.SCPDURL);
            entries.push_back(std::move(service));
        }
    }
    return entries;
}
