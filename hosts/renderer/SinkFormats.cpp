#include "SinkFormats.h"

#include <gst/gst.h>

#include <algorithm>
#include <initializer_list>
#include <set>
#include <string_view>

namespace {

// Caps a demuxer or parser must take (kContainer), or a decoder (kCodec):
// parsers accept coded streams too, so they do not count as decoding them.
enum class Role { kContainer, kCodec };
struct Need {
    Role role;
    const char* caps;
};

constexpr char kMp4[] = "video/quicktime";
constexpr char kM4a[] = "audio/x-m4a";
constexpr char kMpegPs1[] = "video/mpeg, mpegversion=(int)1, systemstream=(boolean)true";
constexpr char kMpegPs2[] = "video/mpeg, mpegversion=(int)2, systemstream=(boolean)true";
constexpr char kMpegTs[] = "video/mpegts, systemstream=(boolean)true";
constexpr char kAsf[] = "video/x-ms-asf";
constexpr char kAdts[] = "audio/mpeg, mpegversion=(int)4, stream-format=(string)adts";
constexpr char kL16[] = "audio/x-unaligned-raw, format=(string)S16BE";
constexpr char kMp2[] = "audio/mpeg, mpegversion=(int)1, layer=(int)2";
constexpr char kMp3[] = "audio/mpeg, mpegversion=(int)1, layer=(int)3";
constexpr char kAac[] = "audio/mpeg, mpegversion=(int)4, stream-format=(string)raw";
constexpr char kAc3[] = "audio/x-ac3";
constexpr char kWma[] = "audio/x-wma, wmaversion=(int)2";
constexpr char kH264[] = "video/x-h264";
constexpr char kMpeg1[] = "video/mpeg, mpegversion=(int)1, systemstream=(boolean)false";
constexpr char kMpeg2[] = "video/mpeg, mpegversion=(int)2, systemstream=(boolean)false";
constexpr char kJpeg[] = "image/jpeg";
constexpr char kPng[] = "image/png";

struct Profile {
    const char* content_format;
    std::initializer_list<const char*> names;
    std::initializer_list<Need> needs;
    bool image = false;  // shown through imagefreeze
};

using enum Role;

// The profiles peers announce, each with what playing it takes.
const Profile kProfiles[] = {
    {"audio/mpeg", {"MP3"}, {{kCodec, kMp3}}},
    {"audio/L16;rate=44100;channels=2", {"LPCM"}, {{kContainer, kL16}}},
    {"audio/L16;rate=44100;channels=1", {"LPCM"}, {{kContainer, kL16}}},
    {"audio/L16;rate=48000;channels=2", {"LPCM"}, {{kContainer, kL16}}},
    {"audio/mp4", {"AAC_ISO_320", "AAC_ISO"}, {{kContainer, kM4a}, {kCodec, kAac}}},
    {"audio/vnd.dlna.adts", {"AAC_ADTS_320", "AAC_ADTS"}, {{kContainer, kAdts}, {kCodec, kAac}}},
    {"audio/x-ms-wma", {"WMABASE", "WMAFULL"}, {{kContainer, kAsf}, {kCodec, kWma}}},
    {"video/mp4",
     {"AVC_MP4_BL_CIF15_AAC_520", "AVC_MP4_MP_SD_AAC_MULT5", "AVC_MP4_HP_HD_AAC"},
     {{kContainer, kMp4}, {kCodec, kH264}, {kCodec, kAac}}},
    {"video/mpeg", {"MPEG1"}, {{kContainer, kMpegPs1}, {kCodec, kMpeg1}, {kCodec, kMp2}}},
    {"video/mpeg",
     {"MPEG_PS_NTSC", "MPEG_PS_PAL"},
     {{kContainer, kMpegPs2}, {kCodec, kMpeg2}, {kCodec, kMp2}, {kCodec, kAc3}}},
    {"video/mpeg",
     {"MPEG_TS_SD_EU_ISO"},
     {{kContainer, kMpegTs}, {kCodec, kMpeg2}, {kCodec, kMp2}, {kCodec, kAc3}}},
    {"video/mpeg",
     {"MPEG_TS_SD_NA_ISO", "MPEG_TS_HD_NA_ISO"},
     {{kContainer, kMpegTs}, {kCodec, kMpeg2}, {kCodec, kAc3}}},
    {"image/jpeg", {"JPEG_SM", "JPEG_MED", "JPEG_LRG", "JPEG_TN"}, {{kCodec, kJpeg}}, true},
    {"image/png", {"PNG_LRG", "PNG_TN"}, {{kCodec, kPng}}, true},
};

// The sink pad caps of every element of some kinds. ANY is left out:
// decodebin and its like accept everything and decode nothing themselves.
class SinkCaps {
public:
    explicit SinkCaps(GstElementFactoryListType kinds) {
        GList* factories = gst_element_factory_list_get_elements(kinds, GST_RANK_MARGINAL);
        for (GList* item = factories; item; item = item->next) {
            for (const GList* pad = gst_element_factory_get_static_pad_templates(
                     GST_ELEMENT_FACTORY(item->data));
                 pad; pad = pad->next) {
                auto* pad_template = static_cast<GstStaticPadTemplate*>(pad->data);
                if (pad_template->direction != GST_PAD_SINK) continue;
                GstCaps* caps = gst_static_pad_template_get_caps(pad_template);
                if (gst_caps_is_any(caps))
                    gst_caps_unref(caps);
                else
                    caps_.push_back(caps);
            }
        }
        gst_plugin_feature_list_free(factories);
    }
    ~SinkCaps() {
        for (GstCaps* caps : caps_) gst_caps_unref(caps);
    }
    SinkCaps(const SinkCaps&) = delete;
    SinkCaps& operator=(const SinkCaps&) = delete;

    bool Accept(const char* text) const {
        GstCaps* wanted = gst_caps_from_string(text);
        if (!wanted) return false;
        const bool found = std::any_of(caps_.begin(), caps_.end(), [&](GstCaps* caps) {
            return gst_caps_can_intersect(caps, wanted);
        });
        gst_caps_unref(wanted);
        return found;
    }
    // The media types named, sorted, without repeats.
    std::set<std::string> Types() const {
        std::set<std::string> types;
        for (GstCaps* caps : caps_)
            for (guint i = 0; i < gst_caps_get_size(caps); ++i)
                types.insert(gst_structure_get_name(gst_caps_get_structure(caps, i)));
        return types;
    }

private:
    std::vector<GstCaps*> caps_;
};

bool Playable(std::string_view type, bool images) {
    if (type == "audio/x-raw" || type == "video/x-raw") return false;
    return type.starts_with("audio/") || type.starts_with("video/") ||
           (images && type.starts_with("image/"));
}

}  // namespace

std::vector<SinkFormat> PlayableFormats() {
    const SinkCaps decoders(GST_ELEMENT_FACTORY_TYPE_DECODER);
    const SinkCaps containers(
        static_cast<GstElementFactoryListType>(GST_ELEMENT_FACTORY_TYPE_DEMUXER |
                                               GST_ELEMENT_FACTORY_TYPE_PARSER));
    GstElementFactory* freeze = gst_element_factory_find("imagefreeze");
    const bool images = freeze != nullptr;
    if (freeze) gst_object_unref(freeze);

    std::vector<SinkFormat> formats;
    for (const Profile& profile : kProfiles) {
        if (profile.image && !images) continue;
        if (!std::all_of(profile.needs.begin(), profile.needs.end(), [&](const Need& need) {
                return (need.role == Role::kCodec ? decoders : containers).Accept(need.caps);
            }))
            continue;
        for (const char* name : profile.names)
            formats.push_back({profile.content_format, std::string("DLNA.ORG_PN=") + name});
    }
    std::set<std::string> types = decoders.Types();
    types.merge(SinkCaps(GST_ELEMENT_FACTORY_TYPE_DEMUXER).Types());
    for (const std::string& type : types)
        if (Playable(type, images)) formats.push_back({type, "*"});
    return formats;
}
