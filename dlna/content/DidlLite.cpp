#include "DidlLite.h"

#include <ixml.h>

#include <charconv>

#include "DlnaLog.h"
#include "ShareObject.h"
#include "Xml.h"
#include "XmlOutline.h"
#include "XmlText.h"

namespace {

constexpr std::string_view kDidlNamespace = "urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/";
constexpr std::string_view kDcNamespace = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kUpnpNamespace = "urn:schemas-upnp-org:metadata-1-0/upnp/";

// Shapes no DIDL-Lite document has, refused before ixml is asked (see
// XmlOutline): a real one nests about four deep and an object holds a
// handful of children.
constexpr size_t kMaxDepth = 64;
constexpr size_t kMaxChildren = 1024;
constexpr size_t kMaxStartTag = 16 * 1024;
// Root children parsed at once: small enough that ixml's cost per slice
// stays linear.
constexpr size_t kSlice = 64;
// Logged values are cut here: a document may be megabytes.
constexpr size_t kMaxLogged = 200;

// A value fit for one log line.
std::string Logged(std::string_view text) {
    const bool cut = text.size() > kMaxLogged;
    std::string line = xmltext::ValidText(text.substr(0, kMaxLogged));
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    if (cut) line += "...";
    return line;
}

std::string_view View(const char* text) {
    return text ? text : "";
}

// The element in that namespace; a prefixed name whose prefix is not
// declared has no namespace and is taken by its name as written.
bool Is(IXML_Node* node, std::string_view ns, std::string_view local, std::string_view written) {
    if (ixmlNode_getNodeType(node) != eELEMENT_NODE) return false;
    const std::string_view node_ns = View(ixmlNode_getNamespaceURI(node));
    if (node_ns.empty()) return View(ixmlNode_getNodeName(node)) == written;
    return node_ns == ns && xml::LocalName(node) == local;
}

bool IsDidl(IXML_Node* node, std::string_view name) {
    return Is(node, kDidlNamespace, name, name);
}

IXML_Element* AsElement(IXML_Node* node) {
    return reinterpret_cast<IXML_Element*>(node);
}

// The text of an element, or the value of any other node.
std::string TextOf(IXML_Node* node) {
    if (ixmlNode_getNodeType(node) == eELEMENT_NODE) return xml::AllText(AsElement(node));
    return std::string(View(ixmlNode_getNodeValue(node)));
}

template <class Visit>
void ForEachAttribute(IXML_Node* node, Visit&& visit) {
    IXML_NamedNodeMap* attributes = ixmlNode_getAttributes(node);
    if (!attributes) return;
    const unsigned long count = ixmlNamedNodeMap_getLength(attributes);
    for (unsigned long i = 0; i < count; ++i) {
        IXML_Node* attribute = ixmlNamedNodeMap_item(attributes, i);
        if (attribute)
            visit(View(ixmlNode_getNodeName(attribute)), View(ixmlNode_getNodeValue(attribute)));
    }
    ixmlNamedNodeMap_free(attributes);
}

// Document order, without recursion.
IXML_Node* Next(IXML_Node* node) {
    if (IXML_Node* child = ixmlNode_getFirstChild(node)) return child;
    for (; node; node = ixmlNode_getParentNode(node))
        if (IXML_Node* sibling = ixmlNode_getNextSibling(node)) return sibling;
    return nullptr;
}

uint64_t SizeOf(std::string_view text) {
    uint64_t size = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, size);
    if (text.empty() || error != std::errc() || stop != end) {
        LogLine(DlnaLog(), LogLevel::Warning) << "Invalid res size: " << Logged(text);
        return 0;
    }
    return size;
}

// id, parentID and restricted; false for any other attribute.
bool TakeObjectAttribute(ShareObject& object, std::string_view name, std::string_view value) {
    if (name == "id")
        object.SetId(std::string(value));
    else if (name == "parentID")
        object.SetParentId(std::string(value));
    else if (name == "restricted")
        object.SetRestricted(value == "1");
    else
        return false;
    return true;
}

std::unique_ptr<ShareResource> ReadResource(IXML_Node* node) {
    auto protocol_info = std::make_shared<const ProtocolInfo>();
    uint64_t size = 0;
    ForEachAttribute(node, [&](std::string_view name, std::string_view value) {
        if (name == "protocolInfo")
            protocol_info = std::make_shared<const ProtocolInfo>(ProtocolInfo::Parse(value));
        else if (name == "size")
            size = SizeOf(value);
        else
            LogLine(DlnaLog(), LogLevel::Warning)
                << "Unsupported res attribute: " << Logged(name) << "=" << Logged(value);
    });
    return std::make_unique<ShareResource>("", TextOf(node), size, std::move(protocol_info));
}

template <class Object>
std::shared_ptr<Object> ReadObject(IXML_Node* node) {
    constexpr bool is_item = std::is_same_v<Object, ShareItem>;
    const char* attribute_message =
        is_item ? "Unsupported item attribute: " : "Unsupported container attribute: ";
    const char* child_message = is_item ? "Unsupported child: " : "Unsupported container child: ";

    auto object = std::make_shared<Object>();
    ForEachAttribute(node, [&](std::string_view name, std::string_view value) {
        if (!TakeObjectAttribute(*object, name, value))
            LogLine(DlnaLog(), LogLevel::Warning)
                << attribute_message << Logged(name) << "=" << Logged(value);
    });
    for (IXML_Node* child = ixmlNode_getFirstChild(node); child;
         child = ixmlNode_getNextSibling(child)) {
        if (Is(child, kDcNamespace, "title", "dc:title")) {
            object->SetTitle(TextOf(child));
        } else if (Is(child, kUpnpNamespace, "class", "upnp:class")) {
            // Always "object.container" or "object.item" here.
        } else if constexpr (is_item) {
            if (IsDidl(child, "res"))
                object->AddResource(ReadResource(child));
            else
                LogLine(DlnaLog(), LogLevel::Warning)
                    << child_message << Logged(View(ixmlNode_getNodeName(child))) << "="
                    << Logged(TextOf(child));
        } else {
            LogLine(DlnaLog(), LogLevel::Warning)
                << child_message << Logged(View(ixmlNode_getNodeName(child))) << "="
                << Logged(TextOf(child));
        }
    }
    return object;
}

struct Found {
    std::vector<std::shared_ptr<ShareObject>> containers;
    std::vector<std::shared_ptr<ShareObject>> items;
};

// Parses one document and collects its objects; false when ixml refuses it.
bool Collect(const std::string& text, Found* found) {
    IXML_Document* parsed = nullptr;
    if (ixmlParseBufferEx(text.c_str(), &parsed) != IXML_SUCCESS || !parsed) return false;
    const UniqueXmlDocument document(parsed);
    for (IXML_Node* node = Next(xml::AsNode(parsed)); node; node = Next(node)) {
        if (IsDidl(node, "container"))
            found->containers.push_back(ReadObject<ShareContainer>(node));
        else if (IsDidl(node, "item"))
            found->items.push_back(ReadObject<ShareItem>(node));
    }
    return true;
}

bool IsObjectName(std::string_view name) {
    const size_t colon = name.find(':');
    if (colon != std::string_view::npos) name.remove_prefix(colon + 1);
    return name == "container" || name == "item";
}

bool ParseInto(const std::string& didl, Found* found) {
    XmlOutline outline;
    if (!XmlOutline::Read(didl, &outline) || outline.depth > kMaxDepth ||
        outline.widest > kMaxChildren || outline.longest_tag > kMaxStartTag)
        return false;
    // A root that is an object itself cannot be sliced: it would be read
    // once per slice.
    if (outline.children.size() <= kSlice || IsObjectName(outline.root_name))
        return outline.children.size() <= kMaxChildren && Collect(didl, found);

    // Each slice is the root's start tag (its namespaces), a run of its
    // children and its end tag. Text between the children is then not read
    // by ixml; it holds nothing ParseShareObjects reads.
    const std::string end_tag = "</" + std::string(outline.root_name) + ">";
    for (size_t first = 0; first < outline.children.size(); first += kSlice) {
        const size_t last = std::min(first + kSlice, outline.children.size()) - 1;
        const size_t begin = outline.children[first].begin;
        const size_t end = outline.children[last].end;
        std::string slice;
        slice.reserve(outline.root_start_tag.size() + end - begin + end_tag.size());
        slice.append(outline.root_start_tag).append(didl, begin, end - begin).append(end_tag);
        if (!Collect(slice, found)) return false;
    }
    return true;
}

}  // namespace

std::string DidlDocument(const ShareObject& object, std::string_view url_base) {
    std::string text(kDidlHeader);
    object.ToXml(text, url_base);
    text += kDidlFooter;
    return text;
}

int ParseShareObjects(const std::string& didl, std::vector<std::shared_ptr<ShareObject>>* objects) {
    if (didl.empty()) {
        LogLine(DlnaLog(), LogLevel::Warning) << "ParseShareObjects failed: xml is empty";
        return -107;
    }
    Found found;
    if (!ParseInto(didl, &found)) {
        LogLine(DlnaLog(), LogLevel::Warning) << "ixmlParseBuffer failed: " << Logged(didl);
        return -107;
    }
    if (objects) {
        objects->insert(objects->end(), found.containers.begin(), found.containers.end());
        objects->insert(objects->end(), found.items.begin(), found.items.end());
    }
    return 0;
}
