#pragma once
// What a reader found in one media file, and its text form between the
// server and the reader process (dlna-media-probe), which parses untrusted
// files with libraries far larger than the server itself.
#include <cstdint>
#include <string>
#include <string_view>

struct MediaFileInfo {
    int32_t duration_ms = 0;   // 0 unknown
    uint32_t bitrate = 0;      // bytes per second, as res@bitrate wants (0 unknown)
    uint32_t sample_rate = 0;  // Hz
    uint32_t channels = 0;
    uint32_t width = 0, height = 0;  // video or picture pixels
    // From the tags: UTF-8, trimmed; date as given ("2021" or "2021-05-03").
    std::string title, artist, album, genre, date;
    uint32_t track = 0;      // "3/12" -> 3
    std::string profile;     // the DLNA.ORG_PN the streams justify, or empty
    bool has_cover = false;  // an embedded picture
};

// "name=value" lines, one per known field; line breaks inside a value become
// spaces.
std::string FormatMediaFileInfo(const MediaFileInfo& info);
// The inverse; unknown names are skipped, a bad number is 0.
MediaFileInfo ParseMediaFileInfo(std::string_view text);
