// A remote device's description as the control point reads it: measured
// against the limits, parsed, then every device's identity and serviceList,
// resolved against where the description was found, with the library's
// factory making the services. Input: the downloaded description.
#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "RemoteDescription.h"
#include "ServiceList.h"
#include "UpnpClient.h"
#include "api/DLNAServiceFactory.h"

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
    const std::string text(AsText(data, size));
    const DescriptionLimits limits;
    if (text.size() > limits.max_bytes || !WithinDescriptionLimits(text, limits)) return;
    if (!IxmlReadsSafely(text)) return;
    const UniqueXmlDocument doc(ixmlParseBuffer(text.c_str()));
    if (!doc) return;

    static const auto factory = std::make_shared<DLNAServiceFactory>(nullptr, nullptr, nullptr, nullptr);
    const DescriptionSource source{kLocation, "198.51.100.2", 49152, 1800};
    const auto clients = ReadRemoteDevices(doc.get(), source, 0, factory, limits);
    FUZZ_CHECK(clients.size() <= limits.max_devices);
    for (const auto& client : clients) {
        FUZZ_CHECK(client->Info().Valid());
        FUZZ_CHECK(client->Info().friendlyName.size() <= limits.max_field_length);
        FUZZ_CHECK(client->Services().size() <= limits.max_services);
    }
    for (IXML_Element* device : xml::ElementsByTag(doc.get(), "device")) {
        for (IXML_Element* url : xml::ElementsByTag(xml::AsNode(device), "controlURL")) {
            const std::string relative = xml::Text(url);
            const std::string absolute = ResolveUrl(kLocation, relative);
            if (IsRelativePath(relative) && !absolute.empty())
                FUZZ_CHECK(absolute.rfind("http://198.51.100.2:49152/", 0) == 0);
        }
    }
}
