#include "XmlStream.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>
#include <cstring>
#include <mutex>

namespace {

std::string_view View(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool OnlySpace(std::string_view text) {
    for (char c : text)
        if (!IsSpace(c)) return false;
    return true;
}

// Where `close` ends after `from`; npos when it never does.
size_t PastClose(std::string_view text, size_t from, std::string_view close) {
    const size_t at = text.find(close, from);
    return at == std::string_view::npos ? at : at + close.size();
}

// Before libxml2 sees the text: no DOCTYPE, no start tag past `limit`
// bytes. Markup left open is the parser's to refuse.
bool MarkupWithin(std::string_view text, size_t limit) {
    const char* data = text.data();
    size_t at = 0;
    while (at < text.size()) {
        const void* found = std::memchr(data + at, '<', text.size() - at);
        if (!found) return true;
        const size_t lt = static_cast<size_t>(static_cast<const char*>(found) - data);
        const std::string_view rest = text.substr(lt);
        if (rest.starts_with("<!--")) {
            at = PastClose(text, lt + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            at = PastClose(text, lt + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            at = PastClose(text, lt + 2, "?>");
        } else if (rest.starts_with("<!")) {
            return false;  // a DOCTYPE
        } else if (rest.starts_with("</")) {
            at = PastClose(text, lt + 2, ">");
        } else {
            // Quoted values may hold '>'; nothing in a start tag holds '<'.
            size_t i = lt + 1;
            while (i < text.size() && text[i] != '>') {
                if (text[i] == '"' || text[i] == '\'') {
                    const size_t quote = text.find(text[i], i + 1);
                    i = quote == std::string_view::npos ? text.size() : quote + 1;
                } else {
                    ++i;
                }
                if (i - lt > limit) return false;
            }
            if (i + 1 - lt > limit) return false;
            at = i + 1;
        }
        if (at == std::string_view::npos) return true;
    }
    return true;
}

struct Reader {
    Reader(xmlParserCtxtPtr context, XmlStreamHandler& handler, const XmlStreamLimits& limits)
        : context(context), handler(handler), limits(limits) {}

    xmlParserCtxtPtr context;
    XmlStreamHandler& handler;
    const XmlStreamLimits& limits;
    size_t depth = 0;
    std::string run;
    bool stopped = false;

    void Stop() {
        if (stopped) return;
        stopped = true;
        xmlStopParser(context);
    }
    // The run of character data just ended.
    void EndRun() {
        if (run.empty()) return;
        if (depth > 0 && !OnlySpace(run) && !handler.OnText(run, false)) Stop();
        run.clear();
    }
};

Reader& Of(void* context) {
    return *static_cast<Reader*>(context);
}

void OnStartElement(void* context, const xmlChar* local, const xmlChar* prefix, const xmlChar* uri,
                    int namespace_count, const xmlChar** namespaces, int attribute_count,
                    int /*defaulted*/, const xmlChar** attributes) {
    Reader& reader = Of(context);
    if (reader.stopped) return;
    reader.EndRun();
    if (reader.stopped) return;
    if (++reader.depth > reader.limits.max_depth) return reader.Stop();
    XmlStartTag tag;
    tag.local = View(local);
    tag.prefix = View(prefix);
    tag.ns = View(uri);
    tag.namespace_count = namespace_count;
    tag.namespaces = namespaces;
    tag.attribute_count = attribute_count;
    tag.attributes = attributes;
    if (!reader.handler.OnStart(tag)) reader.Stop();
}

void OnEndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    Reader& reader = Of(context);
    if (reader.stopped) return;
    reader.EndRun();
    if (reader.stopped) return;
    --reader.depth;
    if (!reader.handler.OnEnd()) reader.Stop();
}

void OnCharacters(void* context, const xmlChar* text, int length) {
    Reader& reader = Of(context);
    if (reader.stopped) return;
    reader.run.append(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
}

void OnCdata(void* context, const xmlChar* text, int length) {
    Reader& reader = Of(context);
    if (reader.stopped) return;
    reader.EndRun();
    if (reader.stopped) return;
    const std::string_view cdata(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
    if (!reader.handler.OnText(cdata, true)) reader.Stop();
}

// Comments and processing instructions only end a run.
void OnComment(void* context, const xmlChar*) {
    Reader& reader = Of(context);
    if (!reader.stopped) reader.EndRun();
}

void OnInstruction(void* context, const xmlChar*, const xmlChar*) {
    OnComment(context, nullptr);
}

void OnDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    Of(context).Stop();
}

// Errors end the parse through wellFormed; nothing is printed.
void OnError(void*, xmlErrorPtr) {}

xmlSAXHandler MakeHandler() {
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = OnStartElement;
    sax.endElementNs = OnEndElement;
    sax.characters = OnCharacters;
    sax.ignorableWhitespace = OnCharacters;
    sax.cdataBlock = OnCdata;
    sax.comment = OnComment;
    sax.processingInstruction = OnInstruction;
    sax.internalSubset = OnDoctype;
    sax.serror = OnError;
    return sax;
}

}  // namespace

std::string XmlStartTag::Name() const {
    if (prefix.empty()) return std::string(local);
    std::string name;
    name.reserve(prefix.size() + 1 + local.size());
    name.append(prefix).append(1, ':').append(local);
    return name;
}

// libxml2 hides '&' in SAX2 attribute values as "&#38;" unless it is told
// to replace entities; no other reference survives into a value.
std::string_view xmlstream_detail::Decoded(Text begin, Text end, std::string* buffer) {
    constexpr std::string_view kAmpersand = "&#38;";
    const std::string_view raw(reinterpret_cast<const char*>(begin),
                               static_cast<size_t>(end - begin));
    size_t at = raw.find(kAmpersand);
    if (at == std::string_view::npos) return raw;
    buffer->clear();
    size_t from = 0;
    for (; at != std::string_view::npos; at = raw.find(kAmpersand, from)) {
        buffer->append(raw, from, at - from).push_back('&');
        from = at + kAmpersand.size();
    }
    buffer->append(raw, from);
    return *buffer;
}

std::vector<XmlAttribute> XmlStartTag::Attributes() const {
    std::vector<XmlAttribute> out;
    ForEachAttribute([&](std::string_view name, std::string_view value) {
        out.push_back({std::string(name), std::string(value)});
    });
    return out;
}

bool ReadXmlStream(std::string_view text, XmlStreamHandler& handler,
                   const XmlStreamLimits& limits) {
    // Anything else would have libxml2 guess another encoding.
    if (text.empty() || text.size() > INT_MAX) return false;
    const unsigned char first = static_cast<unsigned char>(text.front());
    if (first != '<' && first != 0xEF && !IsSpace(static_cast<char>(first))) return false;
    if (!MarkupWithin(text, limits.max_start_tag)) return false;

    static std::once_flag initialized;
    std::call_once(initialized, [] { xmlInitParser(); });
    xmlParserCtxtPtr context =
        xmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size()));
    if (!context) return false;
    xmlCtxtUseOptions(context, XML_PARSE_NONET | XML_PARSE_IGNORE_ENC | XML_PARSE_NOERROR |
                                   XML_PARSE_NOWARNING);
    *context->sax = MakeHandler();
    Reader reader(context, handler, limits);
    context->userData = &reader;
    const int rc = xmlParseDocument(context);
    const bool read = rc == 0 && context->wellFormed && !reader.stopped;
    if (context->myDoc) xmlFreeDoc(context->myDoc);
    xmlFreeParserCtxt(context);
    return read;
}

std::string_view LocalPart(std::string_view name) {
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}
