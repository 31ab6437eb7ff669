#include "renderer/SeekTarget.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <cctype>
#include <exception>

namespace {

// Skips a run of digits at `pos`; true when its length is within [min, max].
bool Digits(const std::string& text, size_t& pos, size_t min, size_t max) {
    const size_t start = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
    return pos - start >= min && pos - start <= max;
}

// H+:MM:SS[.F+], with bounded runs. Boost's own reader overflows a signed
// int on long digit runs (undefined behaviour), so only this shape reaches it.
bool IsRelTime(const std::string& text) {
    size_t pos = 0;
    if (!Digits(text, pos, 1, 9)) return false;
    for (int field = 0; field < 2; ++field) {
        if (pos >= text.size() || text[pos++] != ':') return false;
        if (!Digits(text, pos, 1, 2)) return false;
    }
    if (pos == text.size()) return true;
    if (text[pos++] != '.') return false;
    return Digits(text, pos, 1, 9) && pos == text.size();
}

}  // namespace

std::optional<std::string> NormalizeRelTime(const std::string& target) {
    if (!IsRelTime(target)) return std::nullopt;
    try {
        const auto duration = boost::posix_time::duration_from_string(target);
        if (duration.is_special()) return std::nullopt;
        return boost::posix_time::to_simple_string(duration);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
