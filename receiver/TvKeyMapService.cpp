#include "TvKeyMapService.h"

#include <ixml.h>

#include <memory>

#include "TvCommon.h"
#include "Xml.h"

namespace {

using NodeList = std::unique_ptr<IXML_NodeList, decltype(&ixmlNodeList_free)>;
using Attributes = std::unique_ptr<IXML_NamedNodeMap, decltype(&ixmlNamedNodeMap_free)>;

// The value of the element's attribute at `index`, in document order.
std::string AttributeValue(const Attributes& attributes, unsigned long index) {
    if (!attributes || index >= ixmlNamedNodeMap_getLength(attributes.get())) return {};
    const char* value = ixmlNode_getNodeValue(ixmlNamedNodeMap_item(attributes.get(), index));
    return value ? value : "";
}

}  // namespace

bool TvKeyMapService::LoadActions() {
    if (!LoadKeyMap(KeyMapPath())) return false;
    return UpnpService::LoadActions();
}

bool TvKeyMapService::LoadKeyMap(const std::string& path) {
    const UniqueXmlDocument doc(ixmlLoadDocument(path.c_str()));
    if (!doc) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Cant't parse xml: " << path;
        return false;
    }
    // The whole tag, prefix included, names an entry.
    const NodeList elements(ixmlDocument_getElementsByTagName(doc.get(), map_element.c_str()),
                            &ixmlNodeList_free);
    const unsigned long count = elements ? ixmlNodeList_length(elements.get()) : 0;
    for (unsigned long i = 0; i < count; ++i) {
        const Attributes attributes(ixmlNode_getAttributes(ixmlNodeList_item(elements.get(), i)),
                                    &ixmlNamedNodeMap_free);
        key_map.emplace(AttributeValue(attributes, 0), AttributeValue(attributes, 1));
    }
    return true;
}

std::shared_ptr<UpnpAction> TvKeyMapService::CreateAction(const std::string& name) {
    const auto entry = key_map.find(name);
    if (entry != key_map.end()) return CreateMappedAction(name, entry->second);
    return UpnpService::CreateAction(name);
}
