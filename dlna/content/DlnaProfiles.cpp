#include "content/DlnaProfiles.h"

#include <algorithm>
#include <cctype>

namespace {

// MiniDLNA's flags: DLNA 1.5, HTTP stalling and background transfer, with
// streaming (audio, video) or interactive (images) transfer.
constexpr const char* kStreamingFlags = "01700000000000000000000000000000";
constexpr const char* kInteractiveFlags = "00F00000000000000000000000000000";

// The MIME type without parameters, in lower case.
std::string BaseType(std::string_view mime) {
    std::string base(mime.substr(0, mime.find(';')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return base;
}

bool Fits(DlnaProfiles::PixelSize size, int width, int height) {
    return size.width <= width && size.height <= height;
}

std::string JpegProfile(DlnaProfiles::PixelSize size) {
    if (size.width <= 0 || size.height <= 0) return "JPEG_LRG";
    if (Fits(size, 640, 480)) return "JPEG_SM";
    if (Fits(size, 1024, 768)) return "JPEG_MED";
    if (Fits(size, 4096, 4096)) return "JPEG_LRG";
    return "";
}

using Streams = DlnaProfiles::Streams;
using Container = Streams::Container;
using Audio = Streams::Audio;
using Video = Streams::Video;

// Within a bound; an unknown rate (0) is taken to be within.
bool AtMost(uint32_t bps, uint32_t bound) {
    return bps <= bound;
}
bool Within(const Streams& s, uint32_t width, uint32_t height) {
    return s.width <= width && s.height <= height;
}
// The video's own rate, or the file's where the video's is unknown.
uint32_t VideoRate(const Streams& s) {
    return s.video_bps ? s.video_bps : s.total_bps;
}

// MiniDLNA's classes of audio inside a video profile.
enum class AvAudio { kNone, kOther, kMp3, kAc3, kAac, kAacMult5 };

bool AacLc(const Streams& s) {
    return s.audio == Audio::kAac && (s.aac_object_type == 2 || s.aac_object_type == 17) &&
           s.sample_rate >= 8000 && s.sample_rate <= 48000;
}

AvAudio AvAudioOf(const Streams& s) {
    switch (s.audio) {
        case Audio::kNone:
            return AvAudio::kNone;
        case Audio::kMp3:
            return AvAudio::kMp3;
        case Audio::kAc3:
            return AvAudio::kAc3;
        case Audio::kAac:
            if (!AacLc(s)) return AvAudio::kOther;
            if (s.channels <= 2 && AtMost(s.audio_bps, 576000)) return AvAudio::kAac;
            if (s.channels <= 6 && AtMost(s.audio_bps, 1440000)) return AvAudio::kAacMult5;
            return AvAudio::kOther;
        default:
            return AvAudio::kOther;
    }
}

// "AAC_ISO_320", "AAC_ISO", "AAC_MULT5_ISO": AAC LC in MP4 by channels and
// rate; an unknown rate is AAC_ISO (or AAC_MULT5_ISO), which admit more.
std::string AacIsoProfile(const Streams& s) {
    if (!AacLc(s) || s.channels == 0) return "";
    if (s.channels <= 2) {
        if (s.audio_bps == 0) return "AAC_ISO";
        if (s.audio_bps <= 320000) return "AAC_ISO_320";
        if (s.audio_bps <= 576000) return "AAC_ISO";
    }
    if (s.channels <= 6 && AtMost(s.audio_bps, 1440000)) return "AAC_MULT5_ISO";
    return "";
}

std::string AudioProfile(const Streams& s) {
    switch (s.container) {
        case Container::kMp3:
            // MPEG-1 Layer III: 32, 44.1 or 48 kHz, mono or stereo, up to
            // 320 kbit/s.
            if (s.audio == Audio::kMp3 &&
                (s.sample_rate == 32000 || s.sample_rate == 44100 || s.sample_rate == 48000) &&
                s.channels >= 1 && s.channels <= 2 && AtMost(s.audio_bps, 320000))
                return "MP3";
            return "";
        case Container::kMp4:
            return AacIsoProfile(s);
        case Container::kLpcm:
            if (s.audio == Audio::kLpcm && (s.sample_rate == 44100 || s.sample_rate == 48000) &&
                s.channels >= 1 && s.channels <= 2)
                return "LPCM";
            return "";
        default:
            return "";
    }
}

bool Pal(const Streams& s) {
    return s.height == 576 || s.height == 288;
}
bool Ntsc(const Streams& s) {
    return s.height == 480 || s.height == 240;
}

std::string MpegProfile(const Streams& s) {
    const bool ps_audio = s.audio == Audio::kNone || s.audio == Audio::kMp2 ||
                          s.audio == Audio::kAc3 || s.audio == Audio::kLpcm;
    if (s.container == Container::kMpegPs) {
        if (s.video == Video::kMpeg1)
            return s.width == 352 && s.height <= 288 &&
                           (s.audio == Audio::kNone || s.audio == Audio::kMp2)
                       ? "MPEG1"
                       : "";
        if (!ps_audio || s.width > 720) return "";
        if (Pal(s)) return "MPEG_PS_PAL";
        if (Ntsc(s)) return "MPEG_PS_NTSC";
        return "";
    }
    if (s.container != Container::kMpegTs || s.video != Video::kMpeg2) return "";
    // DVB: MPEG-1 Layer II or AC-3; ATSC: AC-3.
    if (s.width >= 1280 && s.height >= 720)
        return s.width <= 1920 && s.height <= 1088 && s.audio == Audio::kAc3 ? "MPEG_TS_HD_NA_ISO"
                                                                             : "";
    if (s.width > 720) return "";
    if (Pal(s)) return s.audio == Audio::kMp2 || s.audio == Audio::kAc3 ? "MPEG_TS_SD_EU_ISO" : "";
    if (Ntsc(s)) return s.audio == Audio::kAc3 ? "MPEG_TS_SD_NA_ISO" : "";
    return "";
}

constexpr int kBaseline = 66, kMain = 77, kHigh = 100;

// AVC in MP4, Main Profile rules (also where a Baseline stream fits no
// Baseline profile).
std::string AvcMp4Main(const Streams& s, AvAudio audio) {
    if (Within(s, 720, 576) && AtMost(VideoRate(s), 10000000)) {
        switch (audio) {
            case AvAudio::kAc3:
                return "AVC_MP4_MP_SD_AC3";
            case AvAudio::kAac:
            case AvAudio::kAacMult5:
                return "AVC_MP4_MP_SD_AAC_MULT5";
            case AvAudio::kMp3:
                return "AVC_MP4_MP_SD_MPEG1_L3";
            default:
                return "";
        }
    }
    if (audio != AvAudio::kAac) return "";
    if (Within(s, 1280, 720) && AtMost(VideoRate(s), 15000000)) return "AVC_MP4_MP_HD_720p_AAC";
    if (Within(s, 1920, 1080) && AtMost(VideoRate(s), 21000000)) return "AVC_MP4_MP_HD_1080i_AAC";
    return "";
}

std::string AvcMp4(const Streams& s) {
    const AvAudio audio = AvAudioOf(s);
    switch (s.h264_profile) {
        case kBaseline:
            if (audio == AvAudio::kAac && s.total_bps) {
                if (Within(s, 352, 288)) {
                    if (s.total_bps < 520000) return "AVC_MP4_BL_CIF15_AAC_520";
                    if (s.total_bps < 940000) return "AVC_MP4_BL_CIF30_AAC_940";
                } else if (Within(s, 720, 576)) {
                    if (s.h264_level == 30 && s.total_bps <= 5000000)
                        return "AVC_MP4_BL_L3L_SD_AAC";
                    if (s.h264_level <= 31 && s.total_bps <= 15000000)
                        return "AVC_MP4_BL_L31_HD_AAC";
                } else if (Within(s, 1280, 720)) {
                    if (s.h264_level <= 31 && s.total_bps <= 15000000)
                        return "AVC_MP4_BL_L31_HD_AAC";
                    if (s.h264_level <= 32 && s.total_bps <= 21000000)
                        return "AVC_MP4_BL_L32_HD_AAC";
                }
            }
            return AvcMp4Main(s, audio);
        case kMain:
            return AvcMp4Main(s, audio);
        case kHigh:
            return Within(s, 1920, 1080) && AtMost(VideoRate(s), 25000000) && audio == AvAudio::kAac
                       ? "AVC_MP4_HP_HD_AAC"
                       : "";
        default:
            return "";
    }
}

std::string AvcTs(const Streams& s) {
    const AvAudio audio = AvAudioOf(s);
    std::string name;
    switch (s.h264_profile) {
        case kBaseline:  // as Main: no Baseline TS profile here
        case kMain:
            if (Within(s, 720, 576) && AtMost(VideoRate(s), 10000000))
                name = "AVC_TS_MP_SD_";
            else if (Within(s, 1920, 1152) && AtMost(VideoRate(s), 20000000))
                name = "AVC_TS_MP_HD_";
            else
                return "";
            break;
        case kHigh:
            return Within(s, 1920, 1152) && AtMost(VideoRate(s), 30000000) && audio == AvAudio::kAc3
                       ? "AVC_TS_HP_HD_AC3_ISO"
                       : "";
        default:
            return "";
    }
    switch (audio) {
        case AvAudio::kAc3:
            return name + "AC3_ISO";
        case AvAudio::kAac:
        case AvAudio::kAacMult5:
            return name + "AAC_MULT5_ISO";
        case AvAudio::kMp3:
            return name + "MPEG1_L3_ISO";
        default:
            return "";
    }
}

}  // namespace

std::optional<DlnaProfiles::Kind> DlnaProfiles::KindOf(std::string_view mime) {
    if (mime.find("video/") != std::string_view::npos) return Kind::kVideo;
    if (mime.find("audio/") != std::string_view::npos) return Kind::kAudio;
    if (mime.find("image/") != std::string_view::npos) return Kind::kImage;
    return std::nullopt;
}

std::string DlnaProfiles::ProfileName(std::string_view mime, std::string_view extension,
                                      PixelSize size) {
    const std::string type = BaseType(mime);
    std::string ext(extension);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (type == "audio/mpeg") return ext == ".mp2" ? "" : "MP3";
    if (type == "audio/l16") return "LPCM";
    if (type == "audio/mp4" || type == "audio/x-m4a" || type == "audio/m4a") return "AAC_ISO";
    if (type == "image/jpeg" || type == "image/jpg") return JpegProfile(size);
    if (type == "image/png") return Fits(size, 4096, 4096) ? "PNG_LRG" : "";
    return "";
}

std::string DlnaProfiles::ProfileName(const Streams& s) {
    const PixelSize size{static_cast<int>(std::min<uint32_t>(s.width, 1u << 30)),
                         static_cast<int>(std::min<uint32_t>(s.height, 1u << 30))};
    switch (s.container) {
        case Container::kJpeg:
            return JpegProfile(size);
        case Container::kPng:
            return Fits(size, 4096, 4096) ? "PNG_LRG" : "";
        default:
            break;
    }
    switch (s.video) {
        case Video::kNone:
            return AudioProfile(s);
        case Video::kMpeg1:
        case Video::kMpeg2:
            return MpegProfile(s);
        case Video::kH264:
            if (s.container == Container::kMp4) return AvcMp4(s);
            if (s.container == Container::kMpegTs) return AvcTs(s);
            return "";
        default:
            return "";
    }
}

std::string DlnaProfiles::AdditionalInfo(std::string_view mime, std::string_view extension,
                                         Kind kind, PixelSize size) {
    return AdditionalInfo(ProfileName(mime, extension, size), kind);
}

std::string DlnaProfiles::AdditionalInfo(std::string_view profile, Kind kind) {
    std::string info;
    if (!profile.empty()) {
        info = "DLNA.ORG_PN=";
        info += profile;
        info += ";";
    }
    info += "DLNA.ORG_OP=01;DLNA.ORG_CI=0;DLNA.ORG_FLAGS=";
    info += kind == Kind::kImage ? kInteractiveFlags : kStreamingFlags;
    return info;
}

const char* DlnaProfiles::TransferMode(Kind kind) {
    return kind == Kind::kImage ? "Interactive" : "Streaming";
}

bool DlnaProfiles::Allows(Kind kind, std::string_view mode) {
    return mode == TransferMode(kind) || mode == "Background";
}

bool DlnaProfiles::FitsMime(std::string_view profile, std::string_view mime) {
    // By the profile's family, as the DLNA guidelines pair them.
    const struct {
        std::string_view prefix;
        std::string_view mimes[3];
    } kFamilies[] = {
        {"JPEG_", {"image/jpeg"}},
        {"PNG_", {"image/png"}},
        {"MP3", {"audio/mpeg"}},
        {"LPCM", {"audio/L16", "audio/wav", "audio/x-wav"}},
        {"AAC_", {"audio/mp4", "audio/x-m4a", "audio/3gpp"}},
        {"AVC_MP4_", {"video/mp4"}},
        {"AVC_TS_", {"video/mpeg", "video/vnd.dlna.mpeg-tts", "video/mp2t"}},
        {"MPEG_TS_", {"video/mpeg", "video/vnd.dlna.mpeg-tts", "video/mp2t"}},
        {"MPEG_PS_", {"video/mpeg"}},
        {"MPEG1", {"video/mpeg"}},
    };
    for (const auto& family : kFamilies) {
        if (!profile.starts_with(family.prefix)) continue;
        for (std::string_view allowed : family.mimes)
            if (!allowed.empty() && mime.starts_with(allowed)) return true;
        return false;
    }
    return false;
}

