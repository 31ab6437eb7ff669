#pragma once
#include <charconv>
#include <string>

// A float argument as request text: the shortest form that reads back to
// the same value.
inline std::string ArgumentText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}
