#include "ActionParameter.h"

#include "Logger.h"

#include <boost/lexical_cast.hpp>
#include <charconv>
#include <cmath>
#include <iostream>

namespace {

template <class T>
bool LexicalConvert(const std::string& text, T& out) {
    return boost::conversion::try_lexical_convert(text, out);
}

// Whole text, decimal, in range. Not lexical_cast: its unsigned reader
// overflows a signed int on a long run of digits after other text (found by
// fuzzing), and it wraps "-1" into an unsigned type.
template <class T>
bool IntegerConvert(const std::string& text, T& out) {
    const char* first = text.data();
    const char* last = first + text.size();
    // The sign lexical_cast took; from_chars takes only '-', and only for signed types.
    if constexpr (std::is_signed_v<T>) {
        if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
    }
    T value{};
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last) return false;
    out = value;
    return true;
}

}  // namespace

bool ConvertParameter(const std::string& text, std::string& out) {
    out = text;
    return true;
}

bool ConvertParameter(const std::string& text, int32_t& out) { return IntegerConvert(text, out); }
bool ConvertParameter(const std::string& text, uint16_t& out) { return IntegerConvert(text, out); }
bool ConvertParameter(const std::string& text, uint32_t& out) { return IntegerConvert(text, out); }

bool ConvertParameter(const std::string& text, float& out) {
    // "nan" and "inf" convert, but no coordinate or sensor value can be one.
    float value = 0;
    if (!LexicalConvert(text, value) || !std::isfinite(value)) return false;
    out = value;
    return true;
}

std::string ParameterText(const std::string& value) { return value; }
std::string ParameterText(int32_t value) { return std::to_string(value); }
std::string ParameterText(uint16_t value) { return std::to_string(value); }
std::string ParameterText(uint32_t value) { return std::to_string(value); }
std::string ParameterText(float value) {
    // The shortest text that reads back to the same value.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void ReportParameterError(const std::string& name, const std::string& text) {
    // The text comes from the client: cut and escaped like any logged value.
    std::cerr << "Action " << name << "Parameter :" << LogSafe(text) << std::flush;
}
