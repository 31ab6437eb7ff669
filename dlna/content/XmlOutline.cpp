#include "XmlOutline.h"

#include <algorithm>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool OnlySpace(std::string_view text) {
    for (char c : text)
        if (!IsSpace(c)) return false;
    return true;
}

bool StartsAt(std::string_view text, size_t at, std::string_view prefix) {
    return text.substr(at, prefix.size()) == prefix;
}

// One past the end of the tag opened at `at`, quoted values skipped; npos
// when it never closes.
size_t TagEnd(std::string_view text, size_t at) {
    for (size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            i = text.find(c, i + 1);
            if (i == std::string_view::npos) return i;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string_view NameAt(std::string_view text, size_t at) {
    size_t end = at;
    while (end < text.size() && !IsSpace(text[end]) && text[end] != '/' && text[end] != '>') ++end;
    return text.substr(at, end - at);
}

struct Open {
    std::string_view name;
    size_t children = 0;
};

}  // namespace

bool XmlOutline::Read(std::string_view text, XmlOutline* outline) {
    XmlOutline out;
    std::vector<Open> open;
    bool root_seen = false;
    size_t child_begin = 0;
    for (size_t at = 0;;) {
        const size_t lt = text.find('<', at);
        const std::string_view between = text.substr(at, lt - at);
        if (open.empty() && !OnlySpace(between)) return false;
        if (lt == std::string_view::npos) break;

        size_t end;
        if (StartsAt(text, lt, "<!--")) {
            end = text.find("-->", lt + 4);
            if (end == std::string_view::npos) return false;
            end += 3;
        } else if (StartsAt(text, lt, "<?")) {
            end = text.find("?>", lt + 2);
            if (end == std::string_view::npos) return false;
            end += 2;
        } else if (StartsAt(text, lt, "<![CDATA[")) {
            if (open.empty()) return false;
            end = text.find("]]>", lt + 9);
            if (end == std::string_view::npos) return false;
            end += 3;
        } else if (StartsAt(text, lt, "<!")) {
            // A DOCTYPE before the root; an internal subset is not followed.
            if (root_seen || !open.empty()) return false;
            end = text.find('>', lt);
            if (end == std::string_view::npos ||
                text.substr(lt, end - lt).find('[') != std::string_view::npos)
                return false;
            end += 1;
        } else if (StartsAt(text, lt, "</")) {
            const std::string_view name = NameAt(text, lt + 2);
            end = lt + 2 + name.size();
            while (end < text.size() && IsSpace(text[end])) ++end;
            if (open.empty() || name != open.back().name || end >= text.size() || text[end] != '>')
                return false;
            ++end;
            open.pop_back();
            if (open.size() == 1) out.children.push_back({child_begin, end});
        } else {
            const std::string_view name = NameAt(text, lt + 1);
            end = TagEnd(text, lt);
            if (name.empty() || end == std::string_view::npos) return false;
            const bool empty = text[end - 2] == '/';
            out.longest_tag = std::max(out.longest_tag, end - lt);
            if (open.empty()) {
                if (root_seen) return false;
                root_seen = true;
                out.root_name = name;
                out.root_start_tag = text.substr(lt, end - lt);
                out.root_empty = empty;
            } else {
                if (open.size() > 1) out.widest = std::max(out.widest, ++open.back().children);
                if (open.size() == 1) child_begin = lt;
                if (empty && open.size() == 1) out.children.push_back({lt, end});
            }
            if (!empty) open.push_back({name});
            out.depth = std::max(out.depth, open.size() + (empty ? 1 : 0));
        }
        at = end;
    }
    if (!root_seen || !open.empty()) return false;
    *outline = std::move(out);
    return true;
}
