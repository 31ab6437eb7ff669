#include "probe/MediaProbe.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "content/DlnaProfiles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace {

using Streams = DlnaProfiles::Streams;

constexpr int kThumbnailSide = 160;
// What avformat_find_stream_info may read where the headers leave
// something unknown, other than in an MPEG PS or TS: there a stream is
// known only once its packets come (an HD broadcast's first keyframe may
// be megabytes in), and FFmpeg's 5 MB and 5 s stay. In other files one
// frame tells what the header did not; more is reading a broken file.
constexpr int64_t kInfoProbeBytes = 512 << 10;
constexpr int64_t kInfoAnalyzeMicroseconds = 1000000;
// No thumbnail is made of a picture larger than this, other than a JPEG
// (which libjpeg decodes scaled down).
constexpr int64_t kMaxDecodedPixels = 64LL << 20;

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// ---- Tags ----------------------------------------------------------------

bool IsUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (s.size() - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        // Overlong three-byte forms, surrogates, and code points past U+10FFFF.
        if (extra == 2) {
            const auto d = static_cast<unsigned char>(s[i + 1]);
            if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0)) return false;
        } else if (extra == 3) {
            const auto d = static_cast<unsigned char>(s[i + 1]);
            if ((c == 0xF0 && d < 0x90) || (c == 0xF4 && d >= 0x90)) return false;
        }
        i += extra + 1;
    }
    return true;
}

// A tag as UTF-8: tags FFmpeg read as text in another encoding (ID3v1's
// Latin-1) are converted, control characters dropped, and the ends trimmed.
std::string CleanTag(const char* value) {
    std::string text(value ? value : "");
    if (!IsUtf8(text)) {
        std::string converted;
        for (const unsigned char c : text) {
            if (c < 0x80) {
                converted += static_cast<char>(c);
            } else {
                converted += static_cast<char>(0xC0 | (c >> 6));
                converted += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        text = std::move(converted);
    }
    text.erase(std::remove_if(text.begin(), text.end(),
                              [](char c) {
                                  const auto u = static_cast<unsigned char>(c);
                                  return (u < 0x20 && c != '\t' && c != '\n') || u == 0x7F;
                              }),
               text.end());
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    while (!text.empty() && space(text.back())) text.pop_back();
    size_t start = 0;
    while (start < text.size() && space(text[start])) ++start;
    return text.substr(start);
}

// ---- FFmpeg ---------------------------------------------------------------

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

// The file opened and its headers read; nullptr, and `error` set, when no
// demuxer recognises it with some confidence. A guess from the file name
// alone (random bytes called .mp3) is no recognition.
Input OpenInput(const std::string& path, std::string* error) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    AVFormatContext* context = nullptr;
    if (const int opened = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
        opened < 0) {
        SetError(error, "FFmpeg cannot open it: " + AvError(opened));
        return nullptr;
    }
    Input input(context);
    if (context->probe_score < AVPROBE_SCORE_RETRY) {
        SetError(error, std::string("not a media file (no more than a guess at ") +
                            context->iformat->name + ")");
        return nullptr;
    }
    return input;
}

bool IsCover(const AVStream* stream) {
    return (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
}

// The first audio and the first video stream (not a cover picture).
struct Pick {
    AVStream* audio = nullptr;
    AVStream* video = nullptr;
    AVStream* cover = nullptr;
};

Pick PickStreams(AVFormatContext* context) {
    Pick pick;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        AVStream* stream = context->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        if (IsCover(stream)) {
            if (!pick.cover && stream->attached_pic.size > 0) pick.cover = stream;
        } else if (type == AVMEDIA_TYPE_AUDIO) {
            if (!pick.audio) pick.audio = stream;
        } else if (type == AVMEDIA_TYPE_VIDEO) {
            if (!pick.video) pick.video = stream;
        }
    }
    return pick;
}

bool Known(const AVStream* stream) {
    const AVCodecParameters* p = stream->codecpar;
    if (p->codec_id == AV_CODEC_ID_NONE) return false;
    if (p->codec_type == AVMEDIA_TYPE_AUDIO)
        return p->sample_rate > 0 && p->ch_layout.nb_channels > 0;
    return p->width > 0 && p->height > 0;
}

int64_t DurationMs(const AVFormatContext* context) {
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return context->duration / (AV_TIME_BASE / 1000);
    int64_t longest = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        if (IsCover(stream) || stream->duration == AV_NOPTS_VALUE || stream->duration <= 0)
            continue;
        longest = std::max(longest, av_rescale_q(stream->duration, stream->time_base, {1, 1000}));
    }
    return longest;
}

// FFmpeg's FLAC demuxer keeps the sample rate and channels in the
// STREAMINFO block (the extradata) for the decoder to find; taken from
// there, they spare decoding the first frames.
void FlacStreamInfo(AVStream* stream) {
    AVCodecParameters* p = stream->codecpar;
    if (p->codec_id != AV_CODEC_ID_FLAC || p->extradata_size < 34 || p->sample_rate > 0) return;
    const uint8_t* info = p->extradata;
    const int rate = (info[10] << 12) | (info[11] << 4) | (info[12] >> 4);
    const int channels = ((info[12] >> 1) & 7) + 1;
    if (rate <= 0) return;
    p->sample_rate = rate;
    av_channel_layout_uninit(&p->ch_layout);
    av_channel_layout_default(&p->ch_layout, channels);
}

// Whether every audio and video stream has its parameters, and the file a
// duration, from the headers alone.
bool HeadersSuffice(AVFormatContext* context) {
    bool any = false;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        if (IsCover(stream) || (type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_VIDEO)) continue;
        if (!Known(stream)) return false;
        any = true;
    }
    return any && DurationMs(context) > 0;
}

// AVC profile_idc and level_idc from an avcC box (MP4's extradata), else
// from what FFmpeg found.
void H264ProfileOf(const AVCodecParameters* p, Streams* s) {
    if (p->extradata_size >= 4 && p->extradata[0] == 1) {
        s->h264_profile = p->extradata[1];
        s->h264_level = p->extradata[3];
        return;
    }
    if (p->profile >= 0) s->h264_profile = p->profile & 0xFF;  // without the constraint flags
    if (p->level >= 0) s->h264_level = p->level;
}

// The MPEG-4 audio object type (2 for AAC LC) from the AudioSpecificConfig,
// else from FFmpeg's profile (its AAC profiles are the object type less one).
int AacObjectType(const AVCodecParameters* p) {
    if (p->extradata_size >= 2) {
        const int type = p->extradata[0] >> 3;
        if (type != 31) return type;
        return 32 + (((p->extradata[0] & 7) << 3) | (p->extradata[1] >> 5));
    }
    return p->profile >= 0 ? p->profile + 1 : 0;
}

Streams::Container ContainerOf(AVFormatContext* context) {
    const std::string name = context->iformat->name;
    if (name == "mp3") return Streams::Container::kMp3;
    if (name == "mpeg") return Streams::Container::kMpegPs;
    if (name == "s16be") return Streams::Container::kLpcm;
    if (name == "mpegts") {
        // 192-byte packets (M2TS, a timestamp before each) would need the
        // _T profiles and video/vnd.dlna.mpeg-tts.
        int64_t packet_size = 0;
        if (av_opt_get_int(context->priv_data, "ts_packetsize", 0, &packet_size) >= 0 &&
            packet_size == 188)
            return Streams::Container::kMpegTs;
        return Streams::Container::kOther;
    }
    if (name.rfind("mov,mp4", 0) == 0) {
        // QuickTime and 3GPP files share the demuxer, not the profiles.
        const AVDictionaryEntry* brand = av_dict_get(context->metadata, "major_brand", nullptr, 0);
        const std::string major = brand ? brand->value : "";
        if (major.rfind("qt", 0) == 0 || major.rfind("3g", 0) == 0)
            return Streams::Container::kOther;
        return Streams::Container::kMp4;
    }
    return Streams::Container::kOther;
}

Streams::Audio AudioOf(AVCodecID id) {
    switch (id) {
        case AV_CODEC_ID_MP3:
            return Streams::Audio::kMp3;
        case AV_CODEC_ID_MP2:
            return Streams::Audio::kMp2;
        case AV_CODEC_ID_AAC:
            return Streams::Audio::kAac;
        case AV_CODEC_ID_AC3:
            return Streams::Audio::kAc3;
        case AV_CODEC_ID_PCM_S16BE:
        case AV_CODEC_ID_PCM_S16LE:
        case AV_CODEC_ID_PCM_DVD:
            return Streams::Audio::kLpcm;
        default:
            return Streams::Audio::kOther;
    }
}

Streams::Video VideoOf(AVCodecID id) {
    switch (id) {
        case AV_CODEC_ID_MPEG1VIDEO:
            return Streams::Video::kMpeg1;
        case AV_CODEC_ID_MPEG2VIDEO:
            return Streams::Video::kMpeg2;
        case AV_CODEC_ID_H264:
            return Streams::Video::kH264;
        default:
            return Streams::Video::kOther;
    }
}

uint32_t Clamp32(int64_t value) {
    return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, UINT32_MAX));
}

std::string Tag(AVFormatContext* context, const Pick& pick, const char* key) {
    // Ogg keeps its comments with the stream, every other container with
    // the file.
    for (const AVDictionary* tags :
         {static_cast<const AVDictionary*>(context->metadata),
          static_cast<const AVDictionary*>(pick.audio ? pick.audio->metadata : nullptr),
          static_cast<const AVDictionary*>(pick.video ? pick.video->metadata : nullptr)}) {
        if (const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0)) {
            std::string value = CleanTag(entry->value);
            if (!value.empty()) return value;
        }
    }
    return {};
}

std::optional<MediaFileInfo> ProbeAudioVideo(const std::string& path, std::string* error) {
    Input input = OpenInput(path, error);
    if (!input) return std::nullopt;
    AVFormatContext* context = input.get();
    for (unsigned i = 0; i < context->nb_streams; ++i) FlacStreamInfo(context->streams[i]);
    if (!HeadersSuffice(context)) {
        // A cover picture's size is of no interest here, and decoding it to
        // learn that (which FFmpeg does for a stream whose parameters are
        // unknown) would cost more than all the rest: the cover is given
        // parameters of its own.
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            AVCodecParameters* cover = context->streams[i]->codecpar;
            if (!IsCover(context->streams[i])) continue;
            if (cover->width <= 0 || cover->height <= 0) cover->width = cover->height = 1;
            if (cover->format < 0) cover->format = AV_PIX_FMT_YUV420P;
        }
        const std::string format = context->iformat->name;
        if (format != "mpegts" && format != "mpeg") {
            context->probesize = kInfoProbeBytes;
            context->max_analyze_duration = kInfoAnalyzeMicroseconds;
        }
        if (const int found = avformat_find_stream_info(context, nullptr); found < 0) {
            SetError(error, "no stream information: " + AvError(found));
            return std::nullopt;
        }
    }
    const Pick pick = PickStreams(context);
    if ((!pick.audio || !Known(pick.audio)) && (!pick.video || !Known(pick.video))) {
        SetError(error, std::string("no audio or video stream FFmpeg can read (") +
                            context->iformat->name + ")");
        return std::nullopt;
    }

    MediaFileInfo info;
    Streams streams;
    streams.container = ContainerOf(context);
    const int64_t duration_ms = DurationMs(context);
    info.duration_ms = static_cast<int32_t>(std::min<int64_t>(duration_ms, INT32_MAX));
    // The file's rate: FFmpeg's, else its size over its duration.
    int64_t file_bps = context->bit_rate > 0 ? context->bit_rate : 0;
    if (file_bps == 0 && duration_ms > 0) {
        struct stat file {};
        if (stat(path.c_str(), &file) == 0 && file.st_size > 0)
            file_bps = static_cast<int64_t>(static_cast<double>(file.st_size) * 8000.0 /
                                            static_cast<double>(duration_ms));
    }
    streams.total_bps = Clamp32(file_bps);

    if (pick.audio && Known(pick.audio)) {
        const AVCodecParameters* p = pick.audio->codecpar;
        streams.audio = AudioOf(p->codec_id);
        if (streams.audio == Streams::Audio::kAac) streams.aac_object_type = AacObjectType(p);
        streams.sample_rate = info.sample_rate = Clamp32(p->sample_rate);
        streams.channels = info.channels = Clamp32(p->ch_layout.nb_channels);
        streams.audio_bps = Clamp32(p->bit_rate);
    }
    if (pick.video && Known(pick.video)) {
        const AVCodecParameters* p = pick.video->codecpar;
        streams.video = VideoOf(p->codec_id);
        if (streams.video == Streams::Video::kH264) H264ProfileOf(p, &streams);
        streams.width = info.width = Clamp32(p->width);
        streams.height = info.height = Clamp32(p->height);
        streams.video_bps = Clamp32(p->bit_rate);
    }
    // res@bitrate: an audio file's own stream rate where it is known (a
    // cover picture is no part of it), else the file's.
    const int64_t bps =
        streams.video == Streams::Video::kNone && streams.audio_bps ? streams.audio_bps : file_bps;
    info.bitrate = Clamp32(bps / 8);
    info.profile = DlnaProfiles::ProfileName(streams);
    info.has_cover = pick.cover != nullptr;

    info.title = Tag(context, pick, "title");
    info.artist = Tag(context, pick, "artist");
    if (info.artist.empty()) info.artist = Tag(context, pick, "album_artist");
    info.album = Tag(context, pick, "album");
    info.genre = Tag(context, pick, "genre");
    info.date = Tag(context, pick, "date");
    if (info.date.empty()) info.date = Tag(context, pick, "year");
    const std::string track = Tag(context, pick, "track");
    unsigned long number = 0;
    for (const char c : track) {
        if (c < '0' || c > '9') break;
        number = std::min(number * 10 + static_cast<unsigned long>(c - '0'), 0xFFFFFFFFul);
    }
    info.track = static_cast<uint32_t>(number);
    return info;
}

// ---- Pictures -------------------------------------------------------------

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct PictureHeader {
    int width = 0;
    int height = 0;
    std::string format;  // GdkPixbuf's name: "jpeg", "png", ...
};

void OnHeader(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    auto* header = static_cast<PictureHeader*>(data);
    header->width = width;
    header->height = height;
    if (GdkPixbufFormat* format = gdk_pixbuf_loader_get_format(loader)) {
        gchar* name = gdk_pixbuf_format_get_name(format);
        header->format = name ? name : "";
        g_free(name);
    }
    gdk_pixbuf_loader_set_size(loader, 0, 0);  // nothing more: the loader stops
}

// The picture's size and format from its first bytes, handed over in
// small pieces. (The PNG loader goes on inflating the piece in hand once it
// has the size, and a loader that has to guess the type first waits for
// 4 KB: a PNG or a JPEG gets its loader at once.)
PictureHeader ReadPictureHeader(const std::string& path) {
    PictureHeader header;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return header;
    guchar chunk[256];
    size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    const char* type = got >= 8 && std::memcmp(chunk, "\x89PNG\r\n\x1a\n", 8) == 0 ? "png"
                       : got >= 3 && std::memcmp(chunk, "\xFF\xD8\xFF", 3) == 0    ? "jpeg"
                                                                                   : nullptr;
    GObjectPtr<GdkPixbufLoader> loader(type ? gdk_pixbuf_loader_new_with_type(type, nullptr)
                                            : gdk_pixbuf_loader_new());
    if (!loader) return header;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(OnHeader), &header);
    while (got > 0 && gdk_pixbuf_loader_write(loader.get(), chunk, got, nullptr) &&
           header.width == 0)
        got = std::fread(chunk, 1, sizeof chunk, file.get());
    gdk_pixbuf_loader_close(loader.get(), nullptr);
    return header;
}

std::optional<MediaFileInfo> ProbePicture(const std::string& path, std::string* error) {
    const PictureHeader header = ReadPictureHeader(path);
    if (header.width <= 0 || header.height <= 0) {
        SetError(error, "not a picture GdkPixbuf can read");
        return std::nullopt;
    }
    Streams streams;
    streams.container = header.format == "jpeg"  ? Streams::Container::kJpeg
                        : header.format == "png" ? Streams::Container::kPng
                                                 : Streams::Container::kOther;
    MediaFileInfo info;
    streams.width = info.width = static_cast<uint32_t>(header.width);
    streams.height = info.height = static_cast<uint32_t>(header.height);
    info.profile = DlnaProfiles::ProfileName(streams);
    return info;
}

void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer) {
    if (width <= 0 || height <= 0) return;
    GdkPixbufFormat* format = gdk_pixbuf_loader_get_format(loader);
    gchar* name = format ? gdk_pixbuf_format_get_name(format) : nullptr;
    const bool jpeg = name && std::string(name) == "jpeg";
    g_free(name);
    if (!jpeg && static_cast<int64_t>(width) * height > kMaxDecodedPixels) {
        gdk_pixbuf_loader_set_size(loader, 0, 0);  // the loader gives up
        return;
    }
    if (width <= kThumbnailSide && height <= kThumbnailSide) return;
    const double scale = std::min(static_cast<double>(kThumbnailSide) / width,
                                  static_cast<double>(kThumbnailSide) / height);
    gdk_pixbuf_loader_set_size(loader, std::max(1, static_cast<int>(std::lround(width * scale))),
                               std::max(1, static_cast<int>(std::lround(height * scale))));
}

// Decodes a picture handed over in pieces by `feed` (which returns false
// on a read error), at thumbnail size, upright, on white where it was
// transparent, and saves it as a JPEG.
template <typename Feed>
std::string Thumbnail(Feed feed, std::string* error) {
    GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(OnSizePrepared), nullptr);
    GError* failure = nullptr;
    const bool fed = feed([&](const void* data, size_t size) {
        return failure == nullptr &&
               gdk_pixbuf_loader_write(loader.get(), static_cast<const guchar*>(data), size,
                                       &failure);
    });
    if (!failure) {
        gdk_pixbuf_loader_close(loader.get(), &failure);
    } else {
        gdk_pixbuf_loader_close(loader.get(), nullptr);
    }
    GdkPixbuf* decoded = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (!fed || failure || !decoded) {
        SetError(error, std::string("cannot decode the picture") +
                            (failure ? std::string(": ") + failure->message : std::string()));
        if (failure) g_error_free(failure);
        return {};
    }
    GObjectPtr<GdkPixbuf> picture(gdk_pixbuf_apply_embedded_orientation(decoded));
    if (gdk_pixbuf_get_width(picture.get()) > kThumbnailSide ||
        gdk_pixbuf_get_height(picture.get()) > kThumbnailSide) {
        // A loader that ignored the size asked for.
        const int width = gdk_pixbuf_get_width(picture.get());
        const int height = gdk_pixbuf_get_height(picture.get());
        const double scale = std::min(static_cast<double>(kThumbnailSide) / width,
                                      static_cast<double>(kThumbnailSide) / height);
        picture.reset(gdk_pixbuf_scale_simple(
            picture.get(), std::max(1, static_cast<int>(std::lround(width * scale))),
            std::max(1, static_cast<int>(std::lround(height * scale))), GDK_INTERP_BILINEAR));
    }
    if (picture && gdk_pixbuf_get_has_alpha(picture.get())) {
        const int width = gdk_pixbuf_get_width(picture.get());
        const int height = gdk_pixbuf_get_height(picture.get());
        picture.reset(gdk_pixbuf_composite_color_simple(
            picture.get(), width, height, GDK_INTERP_NEAREST, 255, 8, 0xFFFFFFu, 0xFFFFFFu));
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    if (!picture || !gdk_pixbuf_save_to_buffer(picture.get(), &buffer, &size, "jpeg", &failure,
                                               "quality", "85", nullptr)) {
        SetError(error, std::string("cannot encode the thumbnail") +
                            (failure ? std::string(": ") + failure->message : std::string()));
        if (failure) g_error_free(failure);
        return {};
    }
    std::string jpeg(buffer, size);
    g_free(buffer);
    return jpeg;
}

}  // namespace

std::optional<MediaFileInfo> ProbeMedia(const std::string& path, std::string_view mime,
                                    std::string* error) {
    if (DlnaProfiles::KindOf(mime) == DlnaProfiles::Kind::kImage) return ProbePicture(path, error);
    return ProbeAudioVideo(path, error);
}

std::string MakeThumbnail(const std::string& path, std::string_view mime, std::string* error) {
    if (DlnaProfiles::KindOf(mime) == DlnaProfiles::Kind::kImage) {
        return Thumbnail(
            [&](auto write) {
                std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                           &std::fclose);
                if (!file) return false;
                char chunk[65536];
                size_t got;
                while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
                    if (!write(chunk, got)) return true;  // the loader's error says why
                return std::ferror(file.get()) == 0;
            },
            error);
    }
    Input input = OpenInput(path, error);
    if (!input) return {};
    const Pick pick = PickStreams(input.get());
    if (!pick.cover) {
        SetError(error, "no embedded picture");
        return {};
    }
    const AVPacket& picture = pick.cover->attached_pic;
    return Thumbnail(
        [&](auto write) {
            write(picture.data, static_cast<size_t>(picture.size));
            return true;  // a decoding error is the loader's to tell
        },
        error);
}
