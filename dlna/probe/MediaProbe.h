#pragma once
// What a shared file holds, read from the file itself: FFmpeg's libraries
// for audio and video (stream properties, tags, an embedded cover picture),
// GdkPixbuf for pictures (size from the header alone, thumbnails).
//
// Both functions may run on several threads at once, for different files or
// the same. FFmpeg's own logging is silenced on first use; failures come
// back as one short line in `error` for the caller to log.
#include <optional>
#include <string>
#include <string_view>

#include "content/MediaFileInfo.h"


// Reads one file; `mime` ("audio/mpeg", "image/png", ...) picks the reader:
// GdkPixbuf for "image/", FFmpeg for everything else. std::nullopt, and
// `error` set, when the reader cannot make sense of the file.
std::optional<MediaFileInfo> ProbeMedia(const std::string& path, std::string_view mime,
                                    std::string* error);

// A JPEG of at most 160x160 pixels, aspect kept (DLNA JPEG_TN): of the
// picture itself for an "image/" MIME type, else of the file's embedded
// cover picture. Empty, and `error` set, when there is none or it cannot
// be decoded.
std::string MakeThumbnail(const std::string& path, std::string_view mime, std::string* error);
