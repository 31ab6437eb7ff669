#pragma once
// Playback times as AVTransport writes them.
#include <cstdint>
#include <optional>
#include <string>

// "H:MM:SS" for a time in nanoseconds; negative (unknown) gives "0:00:00".
std::string TimeText(int64_t nanoseconds);

// Nanoseconds of "H:MM:SS" with an optional fraction ("01:02:03.500000");
// empty when the text is no such time.
std::optional<int64_t> ParseTimeText(const std::string& text);
