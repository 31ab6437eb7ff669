#pragma once
// What DLNA renderers read from a shared file's protocolInfo fourth field
// and its HTTP headers: the profile name (whether they can play it), OP
// (whether they may seek by byte range) and the flags (how it is sent).
//
// There are no stream properties yet, so a profile is named only where the
// MIME type alone makes it safe: no video gets one (an .mpg may be PAL or
// NTSC, an .mp4 or .mkv any codec), nor FLAC, Ogg or WAV (none exists, or
// servers commonly give none). audio/mp4 is AAC_ISO, which admits every
// bitrate, not AAC_ISO_320. A JPEG of unknown size is JPEG_LRG.
#include <optional>
#include <string>
#include <string_view>

class DlnaProfiles {
public:
    enum class Kind { kVideo, kAudio, kImage };
    // 0 for an unknown side. (No member initialisers: GCC refuses them in
    // the default arguments below.)
    struct PixelSize {
        int width;
        int height;
    };

    // By the first of "video/", "audio/", "image/" the MIME type contains.
    static std::optional<Kind> KindOf(std::string_view mime);
    // "MP3", "JPEG_SM", ...; empty where none is safely known.
    static std::string ProfileName(std::string_view mime, std::string_view extension,
                                   PixelSize size = {0, 0});
    // "DLNA.ORG_PN=<profile>;" when there is one, then OP, CI and FLAGS.
    static std::string AdditionalInfo(std::string_view mime, std::string_view extension, Kind kind,
                                      PixelSize size = {0, 0});
    // "Streaming" for audio and video, "Interactive" for images.
    static const char* TransferMode(Kind kind);
    // Whether a client may ask for `mode` (as transferMode.dlna.org) for a
    // file of this kind: its own mode, or Background for any.
    static bool Allows(Kind kind, std::string_view mode);
};
