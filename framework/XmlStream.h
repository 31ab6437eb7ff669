#pragma once
// A streaming XML reader (libxml2's SAX2 parser) for documents from remote
// peers: SOAP envelopes and DIDL-Lite. Nothing is built; the handler sees
// start tags, text and end tags in document order.
//
// What it refuses, before or while parsing: a DOCTYPE (neither kind of
// document has one, and without it no entity but the predefined ones
// exists), a start tag longer than the limit (libxml2 2.9 checks for
// duplicate attributes in quadratic time), nesting deeper than the limit,
// bytes that are not UTF-8 (whatever an XML declaration says), and
// anything libxml2 finds not well-formed. Nothing is fetched over the
// network.
//
// Text follows ixml's model, which the readers were written against: the
// character data between two pieces of markup is one run, comments and
// processing instructions end a run and are otherwise skipped, a run of
// white space only is dropped, and a CDATA section is a run of its own.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct XmlAttribute {
    std::string name;  // as written: "prefix:local" or "local"
    std::string value;
};

class XmlStartTag {
public:
    std::string_view local;
    std::string_view prefix;     // empty when the name has none
    std::string_view ns;         // empty when the element is in no namespace
    std::string Name() const;    // as written
    // Namespace declarations first ("xmlns", "xmlns:p"), then the
    // attributes, each in document order; values decoded.
    std::vector<XmlAttribute> Attributes() const;
    // The same, without copies: visit(name, value) with views valid during
    // the call.
    template <class Visit>
    void ForEachAttribute(Visit&& visit) const;

    // libxml2's arrays, for Attributes().
    int namespace_count = 0;
    const void* namespaces = nullptr;
    int attribute_count = 0;
    const void* attributes = nullptr;
};

namespace xmlstream_detail {
using Text = const unsigned char*;
inline std::string_view View(Text text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}
// `value` with libxml2's "&#38;" for '&' undone, in `buffer` when it had one.
std::string_view Decoded(Text begin, Text end, std::string* buffer);
}  // namespace xmlstream_detail

template <class Visit>
void XmlStartTag::ForEachAttribute(Visit&& visit) const {
    using namespace xmlstream_detail;
    std::string name, buffer;
    const auto* declared = static_cast<const Text*>(namespaces);
    for (int i = 0; i < namespace_count; ++i) {
        const std::string_view declared_prefix = View(declared[2 * i]);
        name.assign(declared_prefix.empty() ? "xmlns" : "xmlns:").append(declared_prefix);
        visit(std::string_view(name), View(declared[2 * i + 1]));
    }
    // Five pointers each: local name, prefix, URI, value, end of value.
    const auto* fields = static_cast<const Text*>(attributes);
    for (int i = 0; i < attribute_count; ++i) {
        const Text* field = fields + 5 * i;
        std::string_view written = View(field[0]);
        if (field[1]) {
            name.assign(View(field[1])).append(1, ':').append(written);
            written = name;
        }
        visit(written, Decoded(field[3], field[4], &buffer));
    }
}

// Each call answers false to stop: the document is then refused.
class XmlStreamHandler {
public:
    virtual ~XmlStreamHandler() = default;
    virtual bool OnStart(const XmlStartTag& tag) = 0;
    // Text of the innermost open element; `cdata` for a CDATA section.
    virtual bool OnText(std::string_view text, bool cdata) = 0;
    virtual bool OnEnd() = 0;
};

struct XmlStreamLimits {
    size_t max_depth = 64;             // the root is 1
    size_t max_start_tag = 16 * 1024;  // bytes from '<' to '>'
};

// True when the document was read to its end, well-formed and within the
// limits, and the handler never stopped it.
bool ReadXmlStream(std::string_view text, XmlStreamHandler& handler,
                   const XmlStreamLimits& limits = {});

// The name's part after its prefix.
std::string_view LocalPart(std::string_view name);
