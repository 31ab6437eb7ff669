#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct MediaInfo {
    int32_t duration_ms = 0;
    uint32_t bitrate = 0;
    uint32_t sample_rate = 0;
    uint32_t channels = 0;
    uint32_t width = 0, height = 0;
    std::string title, artist, album, genre, date;
    uint32_t track = 0;
    std::string profile;
    bool has_cover = false;
};
std::optional<MediaInfo> ProbeMedia(const std::string& path, std::string_view mime, std::string* error);
std::string MakeThumbnail(const std::string& path, std::string* error);
