#include "TimeText.h"

#include <cstdio>

namespace {
constexpr int64_t kSecond = 1000000000;
}

std::string TimeText(int64_t nanoseconds) {
    const int64_t seconds = nanoseconds > 0 ? nanoseconds / kSecond : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::optional<int64_t> ParseTimeText(const std::string& text) {
    unsigned hours = 0, minutes = 0, seconds = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%u:%2u:%2u%n", &hours, &minutes, &seconds, &consumed) != 3 ||
        minutes > 59 || seconds > 59)
        return std::nullopt;
    int64_t total = (int64_t{hours} * 3600 + minutes * 60 + seconds) * kSecond;
    std::string rest = text.substr(static_cast<size_t>(consumed));
    if (rest.empty()) return total;
    if (rest[0] != '.' || rest.size() == 1) return std::nullopt;
    int64_t scale = kSecond;
    for (size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] < '0' || rest[i] > '9') return std::nullopt;
        scale /= 10;
        total += (rest[i] - '0') * scale;
    }
    return total;
}
