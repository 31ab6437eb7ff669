#include "Xml.h"

#include <cstdint>

namespace xml {

namespace {

void CollectByTag(IXML_Node* node, const std::string& tag, std::vector<IXML_Element*>& out) {
    for (IXML_Node* child = ixmlNode_getFirstChild(node); child;
         child = ixmlNode_getNextSibling(child)) {
        if (ixmlNode_getNodeType(child) != eELEMENT_NODE) continue;
        if (LocalName(child) == tag) out.push_back(reinterpret_cast<IXML_Element*>(child));
        CollectByTag(child, tag, out);
    }
}

IXML_Node* FirstTextChild(IXML_Element* element) {
    for (IXML_Node* child = ixmlNode_getFirstChild(AsNode(element)); child;
         child = ixmlNode_getNextSibling(child)) {
        if (ixmlNode_getNodeType(child) == eTEXT_NODE) return child;
    }
    return nullptr;
}

}  // namespace

std::string LocalName(IXML_Node* node) {
    if (const char* local = ixmlNode_getLocalName(node)) return local;
    const char* name = ixmlNode_getNodeName(node);
    if (!name) return {};
    std::string full = name;
    auto colon = full.find(':');
    return colon == std::string::npos ? full : full.substr(colon + 1);
}

std::vector<IXML_Element*> ElementsByTag(IXML_Node* node, const std::string& tag) {
    std::vector<IXML_Element*> out;
    if (node) CollectByTag(node, tag, out);
    return out;
}

std::vector<IXML_Element*> ElementsByTag(IXML_Document* doc, const std::string& tag) {
    return ElementsByTag(AsNode(doc), tag);
}

std::vector<IXML_Element*> ChildElements(IXML_Node* node, const std::string& tag) {
    std::vector<IXML_Element*> out;
    if (!node) return out;
    for (IXML_Node* child = ixmlNode_getFirstChild(node); child;
         child = ixmlNode_getNextSibling(child)) {
        if (ixmlNode_getNodeType(child) != eELEMENT_NODE) continue;
        if (tag.empty() || LocalName(child) == tag)
            out.push_back(reinterpret_cast<IXML_Element*>(child));
    }
    return out;
}

std::string Text(IXML_Element* element) {
    IXML_Node* text = element ? FirstTextChild(element) : nullptr;
    const char* value = text ? ixmlNode_getNodeValue(text) : nullptr;
    return value ? value : "";
}

std::string AllText(IXML_Element* element) {
    std::string text;
    if (!element) return text;
    for (IXML_Node* child = ixmlNode_getFirstChild(AsNode(element)); child;
         child = ixmlNode_getNextSibling(child)) {
        const auto type = ixmlNode_getNodeType(child);
        if (type != eTEXT_NODE && type != eCDATA_SECTION_NODE) continue;
        if (const char* value = ixmlNode_getNodeValue(child)) text += value;
    }
    return text;
}

bool HasText(IXML_Element* element) { return element && FirstTextChild(element) != nullptr; }

namespace {

// ASCII that XML 1.0 allows as it stands: most of any text, copied in runs.
bool PlainAscii(unsigned char c) {
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
}

size_t PlainRun(std::string_view text, size_t from) {
    size_t end = from;
    while (end < text.size() && PlainAscii(static_cast<unsigned char>(text[end]))) ++end;
    return end;
}

// The character at text[i] and how many bytes it takes: -1 for bytes that
// are no shortest-form UTF-8 of a character XML 1.0 allows (one byte then,
// when the sequence itself is broken).
int64_t DecodeCharacter(std::string_view text, size_t i, size_t* length) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t n = lead < 0x80                    ? 1
               : lead >= 0xC2 && lead <= 0xDF ? 2
               : lead >= 0xE0 && lead <= 0xEF ? 3
               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                              : 0;
    uint32_t code = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
    for (size_t k = 1; k < n; ++k) {
        const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
        if ((next & 0xC0) != 0x80) {
            n = 0;
            break;
        }
        code = (code << 6) | (next & 0x3F);
    }
    *length = n ? n : 1;
    if (n == 0) return -1;
    // Shortest form only, and only the characters XML 1.0 allows.
    const bool shortest = n != 3 ? n != 4 || code >= 0x10000 : code >= 0x800;
    const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                         (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                         (code >= 0x10000 && code <= 0x10FFFF);
    return shortest && allowed ? static_cast<int64_t>(code) : int64_t{-1};
}

}  // namespace

std::string ValidText(std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t run = PlainRun(text, i);
        out.append(text, i, run - i);
        i = run;
        if (i >= text.size()) break;
        size_t length;
        if (DecodeCharacter(text, i, &length) >= 0)
            out.append(text, i, length);
        else
            out += kReplacement;
        i += length;
    }
    return out;
}

bool SetText(IXML_Document* doc, IXML_Element* element, const std::string& value) {
    const std::string text = ValidText(value);
    if (IXML_Node* node = FirstTextChild(element))
        return ixmlNode_setNodeValue(node, text.c_str()) == IXML_SUCCESS;
    IXML_Node* node = ixmlDocument_createTextNode(doc, text.c_str());
    if (!node) return false;
    return ixmlNode_appendChild(AsNode(element), node) == IXML_SUCCESS;
}

std::string FirstText(IXML_Node* node, const std::string& tag) {
    auto found = ElementsByTag(node, tag);
    return found.empty() ? std::string() : Text(found.front());
}

std::string Serialize(IXML_Document* doc) {
    DOMString text = ixmlDocumenttoString(doc);
    if (!text) return {};
    std::string result = text;
    ixmlFreeDOMString(text);
    return result;
}


bool IsPlainAscii(std::string_view text) { return PlainRun(text, 0) == text.size(); }

std::string AsciiMarkup(std::string_view markup) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(markup.size() + markup.size() / 16);
    size_t i = 0;
    while (i < markup.size()) {
        const size_t run = PlainRun(markup, i);
        out.append(markup, i, run - i);
        i = run;
        if (i >= markup.size()) break;
        size_t length;
        const int64_t decoded = DecodeCharacter(markup, i, &length);
        uint32_t code = decoded >= 0 ? static_cast<uint32_t>(decoded) : 0xFFFD;
        i += length;
        char digits[8];
        int n = 0;
        do {
            digits[n++] = kHex[code & 0xF];
            code >>= 4;
        } while (code);
        out += "&#x";
        while (n) out += digits[--n];
        out += ';';
    }
    return out;
}

std::string EscapedText(std::string_view text) {
    const std::string valid = ValidText(text);
    std::string out;
    out.reserve(valid.size() + valid.size() / 8);
    for (char c : valid) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace xml
