// A remote device's description as the control point reads it: the identity
// of every device and its serviceList resolved against where the description
// was found. Input: the downloaded description.
#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "ServiceList.h"
#include "UpnpDevice.h"

namespace {

const std::string kLocation = "http://198.51.100.2:49152/desc/root.xml";

// A path without scheme or authority: it can only name the same host.
bool IsRelativePath(const std::string& url) {
    if (url.empty() || url.rfind("//", 0) == 0) return false;
    const auto colon = url.find(':');
    return colon == std::string::npos || url.find_first_of("/?#") < colon;
}

}  // namespace

HALVORN_FUZZ_TARGET(remote_description) {
    if (!IxmlReadsSafely(AsText(data, size))) return;
    const std::string text(AsText(data, size));
    const UniqueXmlDocument doc(ixmlParseBuffer(text.c_str()));
    if (!doc) return;
    for (IXML_Element* device : xml::ElementsByTag(doc.get(), "device")) {
        (void)UpnpDevice::ReadInfo(device).Valid();
        for (const ServiceInfo& service : ReadServiceList(device, kLocation))
            FUZZ_CHECK(!service.serviceType.empty() && !service.serviceId.empty());
        for (IXML_Element* url : xml::ElementsByTag(xml::AsNode(device), "controlURL")) {
            const std::string relative = xml::Text(url);
            const std::string absolute = ResolveUrl(kLocation, relative);
            if (IsRelativePath(relative) && !absolute.empty())
                FUZZ_CHECK(absolute.rfind("http://198.51.100.2:49152/", 0) == 0);
        }
    }
}
