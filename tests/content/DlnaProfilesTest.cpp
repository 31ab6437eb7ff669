#include "content/DlnaProfiles.h"

#include <gtest/gtest.h>

namespace {

const std::string kAv =
    "DLNA.ORG_OP=01;DLNA.ORG_CI=0;DLNA.ORG_FLAGS=01700000000000000000000000000000";
const std::string kImage =
    "DLNA.ORG_OP=01;DLNA.ORG_CI=0;DLNA.ORG_FLAGS=00F00000000000000000000000000000";

std::string Pn(const std::string& profile, const std::string& rest) {
    return "DLNA.ORG_PN=" + profile + ";" + rest;
}

using Kind = DlnaProfiles::Kind;

TEST(DlnaProfilesTest, TheFourthFieldNamesAProfileOnlyWhereTheTypeAloneTellsIt) {
    const struct {
        const char* mime;
        const char* extension;
        Kind kind;
        DlnaProfiles::PixelSize size;
        std::string expected;
    } cases[] = {
        {"audio/mpeg", ".mp3", Kind::kAudio, {}, Pn("MP3", kAv)},
        {"audio/MPEG", "", Kind::kAudio, {}, Pn("MP3", kAv)},
        {"audio/mpeg", ".MP2", Kind::kAudio, {}, kAv},
        {"audio/L16;rate=44100;channels=2", "", Kind::kAudio, {}, Pn("LPCM", kAv)},
        {"audio/wav", ".wav", Kind::kAudio, {}, kAv},
        {"audio/mp4", ".m4a", Kind::kAudio, {}, Pn("AAC_ISO", kAv)},
        {"audio/x-m4a", ".m4a", Kind::kAudio, {}, Pn("AAC_ISO", kAv)},
        {"audio/flac", ".flac", Kind::kAudio, {}, kAv},
        {"audio/ogg", ".ogg", Kind::kAudio, {}, kAv},
        {"video/mp4", ".mp4", Kind::kVideo, {}, kAv},
        {"video/x-matroska", ".mkv", Kind::kVideo, {}, kAv},
        {"video/mpeg", ".mpg", Kind::kVideo, {}, kAv},
        {"image/jpeg", ".jpg", Kind::kImage, {}, Pn("JPEG_LRG", kImage)},
        {"image/jpeg", ".jpg", Kind::kImage, {640, 480}, Pn("JPEG_SM", kImage)},
        {"image/jpeg", ".jpg", Kind::kImage, {1024, 768}, Pn("JPEG_MED", kImage)},
        {"image/jpeg", ".jpg", Kind::kImage, {641, 480}, Pn("JPEG_MED", kImage)},
        {"image/jpeg", ".jpg", Kind::kImage, {4096, 4096}, Pn("JPEG_LRG", kImage)},
        {"image/jpeg", ".jpg", Kind::kImage, {4097, 100}, kImage},
        {"image/png", ".png", Kind::kImage, {}, Pn("PNG_LRG", kImage)},
        {"image/gif", ".gif", Kind::kImage, {}, kImage},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DlnaProfiles::AdditionalInfo(c.mime, c.extension, c.kind, c.size), c.expected)
            << c.mime << " " << c.extension << " " << c.size.width << "x" << c.size.height;
}

TEST(DlnaProfilesTest, KindAndTransferModeFollowTheMimeType) {
    EXPECT_EQ(DlnaProfiles::KindOf("x-audio/video/x"), Kind::kVideo);
    EXPECT_EQ(DlnaProfiles::KindOf("audio/mpeg"), Kind::kAudio);
    EXPECT_EQ(DlnaProfiles::KindOf("image/png"), Kind::kImage);
    EXPECT_FALSE(DlnaProfiles::KindOf("text/plain"));
    EXPECT_STREQ(DlnaProfiles::TransferMode(Kind::kVideo), "Streaming");
    EXPECT_STREQ(DlnaProfiles::TransferMode(Kind::kImage), "Interactive");
    EXPECT_TRUE(DlnaProfiles::Allows(Kind::kAudio, "Background"));
    EXPECT_TRUE(DlnaProfiles::Allows(Kind::kImage, "Interactive"));
    EXPECT_FALSE(DlnaProfiles::Allows(Kind::kImage, "Streaming"));
    EXPECT_FALSE(DlnaProfiles::Allows(Kind::kAudio, "streaming\r\nX: y"));
}

}  // namespace

namespace {

using Streams = DlnaProfiles::Streams;
using Container = Streams::Container;
using Audio = Streams::Audio;
using Video = Streams::Video;

Streams AudioFile(Container container, Audio audio, uint32_t rate, uint32_t channels, uint32_t bps,
                  int aac_type = 2) {
    Streams s;
    s.container = container;
    s.audio = audio;
    s.aac_object_type = audio == Audio::kAac ? aac_type : 0;
    s.sample_rate = rate;
    s.channels = channels;
    s.audio_bps = bps;
    return s;
}

Streams VideoFile(Container container, Video video, uint32_t width, uint32_t height, Audio audio,
                  uint32_t total_bps, int h264_profile = 0, int h264_level = 0) {
    Streams s = AudioFile(container, audio, 48000, 2, 128000);
    s.video = video;
    s.width = width;
    s.height = height;
    s.h264_profile = h264_profile;
    s.h264_level = h264_level;
    s.total_bps = total_bps;
    return s;
}

Streams Picture(Container container, uint32_t width, uint32_t height) {
    Streams s;
    s.container = container;
    s.width = width;
    s.height = height;
    return s;
}

}  // namespace

TEST(DlnaProfilesTest, StreamPropertiesNameTheProfileTheyJustify) {
    const int kBase = 66, kMain = 77, kHigh = 100;
    const struct {
        Streams streams;
        std::string expected;
    } cases[] = {
        // Pictures by size.
        {Picture(Container::kJpeg, 640, 480), "JPEG_SM"},
        {Picture(Container::kJpeg, 1024, 768), "JPEG_MED"},
        {Picture(Container::kJpeg, 4000, 3000), "JPEG_LRG"},
        {Picture(Container::kJpeg, 8000, 6000), ""},
        {Picture(Container::kPng, 1920, 1080), "PNG_LRG"},
        {Picture(Container::kPng, 5000, 100), ""},
        {Picture(Container::kOther, 100, 100), ""},  // a GIF
        // MP3: MPEG-1 Layer III rates, up to 320 kbit/s.
        {AudioFile(Container::kMp3, Audio::kMp3, 44100, 2, 320000), "MP3"},
        {AudioFile(Container::kMp3, Audio::kMp3, 48000, 1, 0), "MP3"},
        {AudioFile(Container::kMp3, Audio::kMp3, 22050, 2, 64000), ""},  // MPEG-2 rate
        {AudioFile(Container::kMp3, Audio::kMp2, 44100, 2, 192000), ""},
        // AAC LC in MP4 by rate and channels; HE-AAC gets none.
        {AudioFile(Container::kMp4, Audio::kAac, 44100, 2, 256000), "AAC_ISO_320"},
        {AudioFile(Container::kMp4, Audio::kAac, 44100, 2, 400000), "AAC_ISO"},
        {AudioFile(Container::kMp4, Audio::kAac, 44100, 2, 0), "AAC_ISO"},
        {AudioFile(Container::kMp4, Audio::kAac, 48000, 6, 640000), "AAC_MULT5_ISO"},
        {AudioFile(Container::kMp4, Audio::kAac, 44100, 2, 64000, 5), ""},
        {AudioFile(Container::kMp4, Audio::kAac, 96000, 2, 256000), ""},
        {AudioFile(Container::kOther, Audio::kAac, 44100, 2, 128000), ""},  // ADTS
        // LPCM: raw 16-bit PCM only, not WAV.
        {AudioFile(Container::kLpcm, Audio::kLpcm, 44100, 2, 1411200), "LPCM"},
        {AudioFile(Container::kOther, Audio::kLpcm, 44100, 2, 1411200), ""},
        {AudioFile(Container::kOther, Audio::kOther, 44100, 2, 900000), ""},  // FLAC
        // MPEG-1 and MPEG-2 in a program stream.
        {VideoFile(Container::kMpegPs, Video::kMpeg1, 352, 288, Audio::kMp2, 1500000), "MPEG1"},
        {VideoFile(Container::kMpegPs, Video::kMpeg2, 720, 576, Audio::kMp2, 6000000),
         "MPEG_PS_PAL"},
        {VideoFile(Container::kMpegPs, Video::kMpeg2, 720, 480, Audio::kAc3, 6000000),
         "MPEG_PS_NTSC"},
        {VideoFile(Container::kMpegPs, Video::kMpeg2, 1920, 1080, Audio::kAc3, 15000000), ""},
        {VideoFile(Container::kMpegPs, Video::kMpeg2, 720, 576, Audio::kAac, 6000000), ""},
        // MPEG-2 in a transport stream: DVB (EU) and ATSC (NA).
        {VideoFile(Container::kMpegTs, Video::kMpeg2, 720, 576, Audio::kMp2, 5000000),
         "MPEG_TS_SD_EU_ISO"},
        {VideoFile(Container::kMpegTs, Video::kMpeg2, 720, 480, Audio::kAc3, 5000000),
         "MPEG_TS_SD_NA_ISO"},
        {VideoFile(Container::kMpegTs, Video::kMpeg2, 1920, 1080, Audio::kAc3, 15000000),
         "MPEG_TS_HD_NA_ISO"},
        {VideoFile(Container::kMpegTs, Video::kMpeg2, 720, 480, Audio::kMp2, 5000000), ""},
        // AVC in MP4.
        {VideoFile(Container::kMp4, Video::kH264, 320, 240, Audio::kAac, 400000, kBase, 12),
         "AVC_MP4_BL_CIF15_AAC_520"},
        {VideoFile(Container::kMp4, Video::kH264, 352, 288, Audio::kAac, 800000, kBase, 13),
         "AVC_MP4_BL_CIF30_AAC_940"},
        {VideoFile(Container::kMp4, Video::kH264, 720, 576, Audio::kAac, 3000000, kBase, 30),
         "AVC_MP4_BL_L3L_SD_AAC"},
        {VideoFile(Container::kMp4, Video::kH264, 1280, 720, Audio::kAac, 8000000, kBase, 31),
         "AVC_MP4_BL_L31_HD_AAC"},
        {VideoFile(Container::kMp4, Video::kH264, 720, 576, Audio::kAac, 3000000, kMain, 30),
         "AVC_MP4_MP_SD_AAC_MULT5"},
        {VideoFile(Container::kMp4, Video::kH264, 640, 480, Audio::kAc3, 3000000, kMain, 30),
         "AVC_MP4_MP_SD_AC3"},
        {VideoFile(Container::kMp4, Video::kH264, 1280, 720, Audio::kAac, 8000000, kMain, 31),
         "AVC_MP4_MP_HD_720p_AAC"},
        {VideoFile(Container::kMp4, Video::kH264, 1920, 1080, Audio::kAac, 12000000, kMain, 40),
         "AVC_MP4_MP_HD_1080i_AAC"},
        {VideoFile(Container::kMp4, Video::kH264, 1920, 1080, Audio::kAac, 12000000, kHigh, 40),
         "AVC_MP4_HP_HD_AAC"},
        {VideoFile(Container::kMp4, Video::kH264, 3840, 2160, Audio::kAac, 40000000, kHigh, 51),
         ""},
        {VideoFile(Container::kMp4, Video::kH264, 1920, 1080, Audio::kAc3, 12000000, kHigh, 40),
         ""},
        {VideoFile(Container::kMp4, Video::kH264, 1920, 1080, Audio::kAac, 12000000, 110, 40),
         ""},  // High 10
        {VideoFile(Container::kOther, Video::kH264, 1280, 720, Audio::kAac, 8000000, kMain, 31),
         ""},  // Matroska, QuickTime
        // AVC in a transport stream.
        {VideoFile(Container::kMpegTs, Video::kH264, 1920, 1080, Audio::kAc3, 12000000, kMain, 40),
         "AVC_TS_MP_HD_AC3_ISO"},
        {VideoFile(Container::kMpegTs, Video::kH264, 720, 576, Audio::kAac, 3000000, kMain, 30),
         "AVC_TS_MP_SD_AAC_MULT5_ISO"},
        {VideoFile(Container::kMpegTs, Video::kH264, 720, 576, Audio::kMp3, 3000000, kBase, 30),
         "AVC_TS_MP_SD_MPEG1_L3_ISO"},
        {VideoFile(Container::kMpegTs, Video::kH264, 1920, 1080, Audio::kAc3, 12000000, kHigh, 40),
         "AVC_TS_HP_HD_AC3_ISO"},
        {VideoFile(Container::kMpegTs, Video::kH264, 1920, 1080, Audio::kAac, 12000000, kHigh, 40),
         ""},
        {VideoFile(Container::kMpegTs, Video::kH264, 1920, 1080, Audio::kMp2, 12000000, kMain, 40),
         ""},
    };
    int index = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(DlnaProfiles::ProfileName(c.streams), c.expected) << "case " << index;
        ++index;
    }
}

TEST(DlnaProfilesTest, ANamedProfileMakesTheSameFourthField) {
    EXPECT_EQ(DlnaProfiles::AdditionalInfo("AVC_MP4_HP_HD_AAC", Kind::kVideo),
              Pn("AVC_MP4_HP_HD_AAC", kAv));
    EXPECT_EQ(DlnaProfiles::AdditionalInfo("", Kind::kAudio), kAv);
    EXPECT_EQ(DlnaProfiles::AdditionalInfo("JPEG_SM", Kind::kImage), Pn("JPEG_SM", kImage));
}
