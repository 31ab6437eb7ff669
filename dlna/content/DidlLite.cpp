#include "content/DidlLite.h"

#include <charconv>
#include <memory>
#include <type_traits>
#include <vector>

#include "XmlStream.h"
#include "common/DlnaLog.h"
#include "content/ShareObject.h"
#include "content/XmlText.h"

namespace {

constexpr std::string_view kDidlNamespace = "urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/";
constexpr std::string_view kDcNamespace = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kUpnpNamespace = "urn:schemas-upnp-org:metadata-1-0/upnp/";

// Shapes no DIDL-Lite document has: a real one nests about four deep and an
// object holds a handful of children. The root of a Browse result may hold
// any number of objects.
constexpr size_t kMaxDepth = 64;
constexpr size_t kMaxChildren = 1024;
constexpr size_t kMaxStartTag = 16 * 1024;
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

// The element in that namespace; a prefixed name whose prefix is not
// declared has no namespace and is taken by its name as written.
bool Is(const XmlStartTag& tag, std::string_view ns, std::string_view local,
        std::string_view written) {
    if (tag.ns.empty())
        return tag.prefix.empty() ? tag.local == written
                                  : written.size() == tag.prefix.size() + 1 + tag.local.size() &&
                                        written.starts_with(tag.prefix) &&
                                        written[tag.prefix.size()] == ':' &&
                                        written.ends_with(tag.local);
    return tag.ns == ns && tag.local == local;
}

bool IsDidl(const XmlStartTag& tag, std::string_view name) {
    return Is(tag, kDidlNamespace, name, name);
}

uint64_t SizeOf(std::string_view text, std::vector<std::string>& log) {
    uint64_t size = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, size);
    if (text.empty() || error != std::errc() || stop != end) {
        log.push_back("Invalid res size: " + Logged(text));
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

// An object read from the document, with the warnings its element earns.
struct Read {
    std::shared_ptr<ShareObject> object;
    ShareItem* item = nullptr;  // null for a container
    std::vector<std::string> log;
};

// What an open element is to the object around it.
enum class Role { None, Title, Class, Resource, Other };

struct Open {
    int object = -1;  // the object this element is, if it is one
    Role role = Role::None;
    size_t children = 0;
    std::string name;  // for the log, as written
    std::string text;  // direct text and CDATA, for a child of an object
    uint64_t size = 0;
    std::shared_ptr<const ProtocolInfo> protocol_info;
};

// Every container and item, wherever it is, in document order; each one's
// attributes and direct children read as ixml's DOM once gave them.
class DidlReader : public XmlStreamHandler {
public:
    bool OnStart(const XmlStartTag& tag) override {
        if (!open_.empty()) {
            Open& parent = open_.back();
            // The root's objects are not counted, unless the root is one.
            if ((open_.size() > 1 || parent.object >= 0) && ++parent.children > kMaxChildren)
                return false;
        }
        const int parent_object = open_.empty() ? -1 : open_.back().object;
        Open element;
        if (IsDidl(tag, "container"))
            element.object = Begin<ShareContainer>(tag);
        else if (IsDidl(tag, "item"))
            element.object = Begin<ShareItem>(tag);
        if (parent_object >= 0) {
            Read& parent = read_[static_cast<size_t>(parent_object)];
            element.name = tag.Name();
            if (Is(tag, kDcNamespace, "title", "dc:title"))
                element.role = Role::Title;
            else if (Is(tag, kUpnpNamespace, "class", "upnp:class"))
                element.role = Role::Class;  // always "object.container" or "object.item" here
            else if (parent.item && IsDidl(tag, "res"))
                BeginResource(tag, parent, element);
            else
                element.role = Role::Other;
        }
        open_.push_back(std::move(element));
        return true;
    }

    bool OnText(std::string_view text, bool cdata) override {
        Open& element = open_.back();
        if (element.role != Role::None) element.text.append(text);
        if (element.object >= 0) {
            Read& object = read_[static_cast<size_t>(element.object)];
            object.log.push_back(ChildMessage(object) + (cdata ? "#cdata-section" : "#text") +
                                 "=" + Logged(text));
        }
        return true;
    }

    bool OnEnd() override {
        Open element = std::move(open_.back());
        open_.pop_back();
        if (element.role == Role::None) return true;
        Read& parent = read_[static_cast<size_t>(open_.back().object)];
        switch (element.role) {
            case Role::Title:
                parent.object->SetTitle(std::move(element.text));
                break;
            case Role::Resource:
                parent.item->AddResource(std::make_unique<ShareResource>(
                    "", std::move(element.text), element.size, std::move(element.protocol_info)));
                break;
            case Role::Other:
                parent.log.push_back(ChildMessage(parent) + Logged(element.name) + "=" +
                                     Logged(element.text));
                break;
            default:
                break;
        }
        return true;
    }

    // Logs what was not kept, each object's lines together in document
    // order, and appends the containers, then the items.
    void Finish(std::vector<std::shared_ptr<ShareObject>>* objects) {
        std::vector<std::string> lines;
        for (Read& read : read_)
            for (std::string& line : read.log) lines.push_back(std::move(line));
        DlnaLog().WriteLines(lines, static_cast<int>(LogLevel::Warning));
        if (!objects) return;
        for (const Read& read : read_)
            if (!read.item) objects->push_back(read.object);
        for (const Read& read : read_)
            if (read.item) objects->push_back(read.object);
    }

private:
    static std::string ChildMessage(const Read& object) {
        return object.item ? "Unsupported child: " : "Unsupported container child: ";
    }

    template <class Object>
    int Begin(const XmlStartTag& tag) {
        Read read;
        auto object = std::make_shared<Object>();
        if constexpr (std::is_same_v<Object, ShareItem>) read.item = object.get();
        const char* message =
            read.item ? "Unsupported item attribute: " : "Unsupported container attribute: ";
        tag.ForEachAttribute([&](std::string_view name, std::string_view value) {
            if (!TakeObjectAttribute(*object, name, value))
                read.log.push_back(message + Logged(name) + "=" + Logged(value));
        });
        read.object = std::move(object);
        read_.push_back(std::move(read));
        return static_cast<int>(read_.size() - 1);
    }

    static void BeginResource(const XmlStartTag& tag, Read& item, Open& element) {
        element.role = Role::Resource;
        element.protocol_info = std::make_shared<const ProtocolInfo>();
        tag.ForEachAttribute([&](std::string_view name, std::string_view value) {
            if (name == "protocolInfo")
                element.protocol_info =
                    std::make_shared<const ProtocolInfo>(ProtocolInfo::Parse(value));
            else if (name == "size")
                element.size = SizeOf(value, item.log);
            else
                item.log.push_back("Unsupported res attribute: " + Logged(name) + "=" +
                                   Logged(value));
        });
    }

    std::vector<Open> open_;
    std::vector<Read> read_;
};

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
    DidlReader reader;
    if (!ReadXmlStream(didl, reader, {kMaxDepth, kMaxStartTag})) {
        // Callers and logs know this line by ixml's name.
        LogLine(DlnaLog(), LogLevel::Warning) << "ixmlParseBuffer failed: " << Logged(didl);
        return -107;
    }
    reader.Finish(objects);
    return 0;
}
