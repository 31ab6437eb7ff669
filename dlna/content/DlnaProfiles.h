#pragma once
// What DLNA renderers read from a shared file's protocolInfo fourth field
// and its HTTP headers: the profile name (whether they can play it), OP
// (whether they may seek by byte range) and the flags (how it is sent).
//
// Without stream properties a profile is named only where the MIME type
// alone makes it safe: no video gets one (an .mpg may be PAL or NTSC, an
// .mp4 or .mkv any codec), nor FLAC, Ogg or WAV (none exists, or servers
// commonly give none). audio/mp4 is AAC_ISO, which admits every bitrate,
// not AAC_ISO_320. A JPEG of unknown size is JPEG_LRG.
//
// With the properties a file's reader found (Streams), a common subset of
// MiniDLNA's rules names the profile; where MiniDLNA would name one that
// does not exist or ignore the audio the profile requires, none is named.
#include <cstdint>
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

    // What a file holds, as far as naming its profile needs: FFmpeg's view
    // of an audio or video file, or a picture's format and size. Rates in
    // bit/s; 0 for anything unknown.
    struct Streams {
        enum class Container {
            kOther,
            kMp3,     // MPEG audio with its ID3 tags
            kMp4,     // ISO MP4 or M4A (not QuickTime, not 3GPP)
            kMpegTs,  // 188-byte packets (192-byte ones need other MIME types)
            kMpegPs,
            kLpcm,  // raw big-endian 16-bit PCM (audio/L16)
            kJpeg,
            kPng,
        };
        enum class Audio { kNone, kOther, kMp3, kMp2, kAac, kAc3, kLpcm };
        enum class Video { kNone, kOther, kMpeg1, kMpeg2, kH264 };

        Container container = Container::kOther;
        Audio audio = Audio::kNone;
        int aac_object_type = 0;  // 2 is AAC LC
        uint32_t sample_rate = 0;
        uint32_t channels = 0;
        uint32_t audio_bps = 0;
        Video video = Video::kNone;
        int h264_profile = 0;  // profile_idc: 66 baseline, 77 main, 100 high
        int h264_level = 0;    // level_idc: 31 for level 3.1
        uint32_t width = 0;    // video or picture
        uint32_t height = 0;
        uint32_t video_bps = 0;
        uint32_t total_bps = 0;  // the whole file
    };

    // By the first of "video/", "audio/", "image/" the MIME type contains.
    static std::optional<Kind> KindOf(std::string_view mime);
    // "MP3", "JPEG_SM", ...; empty where none is safely known.
    static std::string ProfileName(std::string_view mime, std::string_view extension,
                                   PixelSize size = {0, 0});
    // "MP3", "AVC_MP4_MP_SD_AAC_MULT5", ...; empty where none fits.
    static std::string ProfileName(const Streams& streams);
    // "DLNA.ORG_PN=<profile>;" when there is one, then OP, CI and FLAGS.
    static std::string AdditionalInfo(std::string_view mime, std::string_view extension, Kind kind,
                                      PixelSize size = {0, 0});
    // The same, for a profile already named (empty: none).
    static std::string AdditionalInfo(std::string_view profile, Kind kind);
    // "Streaming" for audio and video, "Interactive" for images.
    // Whether a file served as `mime` may claim `profile`: a renderer that
    // matches on both refuses a pair that no DLNA profile allows (an MP4
    // profile on video/mpeg).
    static bool FitsMime(std::string_view profile, std::string_view mime);
    static const char* TransferMode(Kind kind);
    // Whether a client may ask for `mode` (as transferMode.dlna.org) for a
    // file of this kind: its own mode, or Background for any.
    static bool Allows(Kind kind, std::string_view mode);
};
