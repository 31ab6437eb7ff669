#pragma once
// Small helpers over the ixml DOM that libupnp uses.
#include <ixml.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct IxmlDocumentDeleter {
    void operator()(IXML_Document* doc) const {
        if (doc) ixmlDocument_free(doc);
    }
};
using XmlDocumentPtr = std::shared_ptr<IXML_Document>;
using UniqueXmlDocument = std::unique_ptr<IXML_Document, IxmlDocumentDeleter>;

inline XmlDocumentPtr ShareDocument(IXML_Document* doc) {
    return XmlDocumentPtr(doc, IxmlDocumentDeleter());
}

namespace xml {

// Elements with the given tag anywhere below `node`, in document order.
std::vector<IXML_Element*> ElementsByTag(IXML_Node* node, const std::string& tag);
std::vector<IXML_Element*> ElementsByTag(IXML_Document* doc, const std::string& tag);

// Direct child elements, optionally only those with the given tag.
std::vector<IXML_Element*> ChildElements(IXML_Node* node, const std::string& tag = {});

// The value of the element's first text child; empty when it has none.
std::string Text(IXML_Element* element);
bool HasText(IXML_Element* element);
// All text and CDATA children joined: a long or escaped value may arrive in
// several pieces.
std::string AllText(IXML_Element* element);
// `text` with every byte sequence that is not an XML 1.0 character in UTF-8
// (control characters, malformed UTF-8, surrogates, U+FFFE/U+FFFF) replaced
// by U+FFFD: ixml writes text unchanged, and a document holding such bytes
// cannot be read back, by ixml or by any other parser.
std::string ValidText(std::string_view text);
// An XML document with every character beyond ASCII as a character
// reference ("&#x89C6;"): the same document to any parser. What ValidText
// would replace becomes U+FFFD. Only for markup whose names are ASCII, as
// the documents here are.
std::string AsciiMarkup(std::string_view markup);
// Whether every byte is ASCII that XML allows as it stands (AsciiMarkup and
// ValidText would leave the text as it is).
bool IsPlainAscii(std::string_view text);
// ValidText(text) with &, <, >, " and ' as their predefined entities: text
// for a document written by hand, as element text or attribute value.
std::string EscapedText(std::string_view text);
// Replaces the first text child's value, or adds a text child; the value
// goes through ValidText.
bool SetText(IXML_Document* doc, IXML_Element* element, const std::string& value);

// Text of the first element of that tag below `node`, or empty.
std::string FirstText(IXML_Node* node, const std::string& tag);

// The local part of a possibly prefixed name ("u:Play" -> "Play").
std::string LocalName(IXML_Node* node);

std::string Serialize(IXML_Document* doc);

inline IXML_Node* AsNode(IXML_Element* e) { return reinterpret_cast<IXML_Node*>(e); }
inline IXML_Node* AsNode(IXML_Document* d) { return reinterpret_cast<IXML_Node*>(d); }

}  // namespace xml
