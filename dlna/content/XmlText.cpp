#include "content/XmlText.h"

#include <cstdint>

namespace xmltext {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// XML 1.0's Char production.
bool XmlAllows(uint32_t c) {
    if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
    return c <= 0xD7FF || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Decodes the sequence at text[at]. Returns its length and sets `code`, or
// returns the length of the maximal ill-formed subpart (at least 1) and sets
// `code` to a value XML refuses.
size_t Decode(std::string_view text, size_t at, uint32_t* code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        *code = 0;
        return 1;
    }
    uint32_t value = lead & (0xFF >> (length + 1));
    for (size_t i = 1; i < length; ++i) {
        if (at + i >= text.size()) {
            *code = 0;
            return i;
        }
        const unsigned char next = byte(at + i);
        const bool fits = i == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
        if (!fits) {
            *code = 0;
            return i;
        }
        value = (value << 6) | (next & 0x3F);
    }
    *code = value;
    return length;
}

bool IsPlain(char c, bool escape) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x80) return false;
    return !escape || (c != '&' && c != '<' && c != '>' && c != '"' && c != '\'');
}

// Plain ASCII, the bulk of any text, is copied in runs.
void Append(std::string& out, std::string_view text, bool escape) {
    for (size_t at = 0; at < text.size();) {
        size_t run = at;
        while (run < text.size() && IsPlain(text[run], escape)) ++run;
        out.append(text.substr(at, run - at));
        if (run == text.size()) break;
        uint32_t code;
        const size_t length = Decode(text, run, &code);
        if (!XmlAllows(code)) {
            out += kReplacement;
        } else if (!escape) {
            out.append(text.substr(run, length));
        } else {
            switch (code) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                case '\'':
                    out += "&apos;";
                    break;
                default:
                    out.append(text.substr(run, length));
            }
        }
        at = run + length;
    }
}

}  // namespace

std::string ValidText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    Append(out, bytes, false);
    return out;
}

void AppendEscaped(std::string& out, std::string_view text) {
    Append(out, text, true);
}

}  // namespace xmltext
