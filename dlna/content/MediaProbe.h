#pragma once
// What a shared file holds, read from the file itself: FFmpeg's libraries
// for audio and video (stream properties, tags, an embedded cover picture),
// GdkPixbuf for pictures (size from the header alone, thumbnails).
//
// Both functions may run on several threads at once, for different files or
// the same. FFmpeg's own logging is silenced on first use; failures come
// back as one short line in `error` for the caller to log.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct MediaInfo {
    int32_t duration_ms = 0;   // 0 unknown
    uint32_t bitrate = 0;      // bytes per second, as res@bitrate wants (0 unknown)
    uint32_t sample_rate = 0;  // Hz
    uint32_t channels = 0;
    uint32_t width = 0, height = 0;  // video or picture pixels
    // From the tags: UTF-8 (Latin-1 converted), trimmed; date as given
    // ("2021" or "2021-05-03").
    std::string title, artist, album, genre, date;
    uint32_t track = 0;      // "3/12" -> 3
    std::string profile;     // the DLNA.ORG_PN the streams justify, or empty
    bool has_cover = false;  // an embedded picture
};

// Reads one file; `mime` ("audio/mpeg", "image/png", ...) picks the reader:
// GdkPixbuf for "image/", FFmpeg for everything else. std::nullopt, and
// `error` set, when the reader cannot make sense of the file.
std::optional<MediaInfo> ProbeMedia(const std::string& path, std::string_view mime,
                                    std::string* error);

// A JPEG of at most 160x160 pixels, aspect kept (DLNA JPEG_TN): of the
// picture itself for an "image/" MIME type, else of the file's embedded
// cover picture. Empty, and `error` set, when there is none or it cannot
// be decoded.
std::string MakeThumbnail(const std::string& path, std::string_view mime, std::string* error);
