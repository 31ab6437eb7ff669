#pragma once
// Text that goes into DIDL-Lite. File names on Linux are bytes, and a host's
// MIME type is whatever it passed: whatever the input, the output is UTF-8 of
// characters XML 1.0 allows, so every document stays well-formed.
#include <string>
#include <string_view>

namespace xmltext {

// `bytes` as UTF-8 with every ill-formed sequence (each maximal subpart, as
// Unicode recommends) and every character XML 1.0 does not allow replaced
// by U+FFFD.
std::string ValidText(std::string_view bytes);

// Appends ValidText(text) with &, <, >, " and ' as their predefined
// entities, fit for element text and attribute values alike.
void AppendEscaped(std::string& out, std::string_view text);

}  // namespace xmltext
