#pragma once
// The outline of an XML document, read without building it: where the root
// element and its child elements lie, and how deep and wide it nests.
//
// ixml appends every node by walking its siblings and looks up namespaces
// by walking its ancestors, so its time grows with the square of an
// element's width and of the nesting depth: a Browse result of 40,000 items
// takes it ten seconds. The outline lets ParseShareObjects hand it the
// document in slices and refuse shapes no DIDL-Lite has.
//
// It follows tags only (comments, CDATA, processing instructions, a
// DOCTYPE without an internal subset, quoted attribute values) and checks
// that end tags match; whether the content is well-formed is ixml's to say.
#include <cstddef>
#include <string_view>
#include <vector>

struct XmlOutline {
    struct Range {
        size_t begin;
        size_t end;  // one past the last byte
    };
    std::string_view root_name;
    std::string_view root_start_tag;  // "<name ...>" or "<name .../>"
    bool root_empty = false;          // written "<name .../>"
    std::vector<Range> children;      // the root's child elements, in order
    size_t depth = 0;                 // deepest element; the root is 1
    size_t widest = 0;                // most child elements below one element, the root aside
    size_t longest_tag = 0;           // bytes of the longest start tag

    // False when `text` is not one element, with nothing but white space,
    // comments, processing instructions and a DOCTYPE around it, whose
    // tags nest and match.
    static bool Read(std::string_view text, XmlOutline* outline);
};
