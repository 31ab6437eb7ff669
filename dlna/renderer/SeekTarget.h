#pragma once
#include <optional>
#include <string>

// A REL_TIME seek target in its standard form: "0:1:2" gives "00:01:02",
// "1:02:03.5" gives "01:02:03.500000". Empty when the text is no duration.
std::optional<std::string> NormalizeRelTime(const std::string& target);
