#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "ContentTestSupport.h"
#include "MediaFixtures.h"
#include "probe/MediaProbe.h"

namespace {

using fixtures::Recipe;

const std::map<std::string, std::string> kTags = {
    {"title", "  Sine \t"}, {"artist", "Tester"},   {"album", "Fixtures"},
    {"genre", "Test Tone"}, {"date", "2021-05-03"}, {"track", "3/12"},
};

// One small file per format, made when a test first asks for it (ctest
// runs each test in a process of its own) and kept for the suite.
class MediaProbeTest : public testing::Test {
protected:
    static void SetUpTestSuite() { dir_ = new TempDir; }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    static std::string Path(const std::string& name) {
        const std::string path = (dir_->path() / name).string();
        if (!std::filesystem::exists(path)) Make(name, path);
        return path;
    }

    static void Make(const std::string& name, const std::string& path) {
        const std::string cover = fixtures::Picture(300, 200, "jpeg");
        Recipe recipe;
        recipe.tags = kTags;
        if (name == "tone.mp3") {
            recipe.format = "mp3";
            recipe.audio_encoder = "libmp3lame";
            recipe.audio_bit_rate = 128000;
            recipe.cover_jpeg = cover;
        } else if (name == "tone.flac") {
            recipe.format = "flac";
            recipe.audio_encoder = "flac";
            recipe.sample_rate = 48000;
            recipe.channels = 1;
            recipe.tags["date"] = "2021";
            recipe.cover_jpeg = cover;
        } else if (name == "tone.m4a") {
            recipe.format = "ipod";  // MP4 with the M4A brand
            recipe.audio_encoder = "aac";
            recipe.audio_bit_rate = 96000;
        } else if (name == "bars.mp4" || name == "bars.ts") {
            recipe.format = name == "bars.mp4" ? "mp4" : "mpegts";
            recipe.video_encoder = "libx264";
            recipe.video_profile = name == "bars.mp4" ? "baseline" : "main";
            recipe.audio_encoder = "aac";
            recipe.audio_bit_rate = 64000;
            recipe.tags = {{"title", "Bars"}};
        } else if (name == "dvd.mpg") {  // FFmpeg's own encoders: always there
            recipe.format = "vob";
            recipe.video_encoder = "mpeg2video";
            recipe.width = 720;
            recipe.height = 576;
            recipe.fps = 25;
            recipe.video_bit_rate = 4000000;
            recipe.audio_encoder = "mp2";
            recipe.sample_rate = 48000;
            recipe.audio_bit_rate = 192000;
            recipe.tags.clear();
        } else {
            std::string content;
            if (name == "photo.jpg") content = fixtures::Picture(800, 600, "jpeg");
            if (name == "drawing.png") content = fixtures::Picture(200, 100, "png");
            if (name == "noise.mp3") {
                std::mt19937 random(42);
                content.resize(256 << 10);  // enough for the MP3 demuxer to try
                for (char& c : content) c = static_cast<char>(random());
            }
            if (!content.empty()) std::ofstream(path, std::ios::binary) << content;
            return;  // anything else stays missing
        }
        EXPECT_EQ(fixtures::WriteMedia(path, recipe), "") << name;
    }
    static void NeedVideo() {
        if (!fixtures::HasEncoder("libx264")) GTEST_SKIP() << "FFmpeg has no libx264 encoder";
    }

    static MediaFileInfo Probe(const std::string& name, const char* mime) {
        std::string error;
        const std::optional<MediaFileInfo> info = ProbeMedia(Path(name), mime, &error);
        EXPECT_TRUE(info) << name << ": " << error;
        return info.value_or(MediaFileInfo{});
    }

    static void ExpectTags(const MediaFileInfo& info, const std::string& date) {
        EXPECT_EQ(info.title, "Sine");
        EXPECT_EQ(info.artist, "Tester");
        EXPECT_EQ(info.album, "Fixtures");
        EXPECT_EQ(info.genre, "Test Tone");
        EXPECT_EQ(info.date, date);
        EXPECT_EQ(info.track, 3u);
    }

    // The thumbnail's size, having checked it is a JPEG that decodes.
    static std::pair<int, int> JpegSize(const std::string& jpeg) {
        EXPECT_GT(jpeg.size(), 4u);
        if (jpeg.size() < 4) return {0, 0};
        EXPECT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF");
        GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("jpeg", nullptr);
        gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(jpeg.data()), jpeg.size(),
                                nullptr);
        gdk_pixbuf_loader_close(loader, nullptr);
        std::pair<int, int> size{0, 0};
        if (GdkPixbuf* picture = gdk_pixbuf_loader_get_pixbuf(loader))
            size = {gdk_pixbuf_get_width(picture), gdk_pixbuf_get_height(picture)};
        g_object_unref(loader);
        return size;
    }

    static TempDir* dir_;
    static std::string cover_;
};

TempDir* MediaProbeTest::dir_ = nullptr;
std::string MediaProbeTest::cover_;

}  // namespace

TEST_F(MediaProbeTest, AnMp3GivesItsStreamItsId3TagsAndItsCover) {
    const MediaFileInfo info = Probe("tone.mp3", "audio/mpeg");
    EXPECT_NEAR(info.duration_ms, 2000, 60);
    EXPECT_EQ(info.sample_rate, 44100u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_EQ(info.bitrate, 128000u / 8);
    EXPECT_EQ(info.width, 0u);
    ExpectTags(info, "2021-05-03");
    EXPECT_EQ(info.profile, "MP3");
    EXPECT_TRUE(info.has_cover);
}

TEST_F(MediaProbeTest, AFlacGivesItsVorbisCommentsAndItsCover) {
    const MediaFileInfo info = Probe("tone.flac", "audio/flac");
    EXPECT_NEAR(info.duration_ms, 2000, 100);
    EXPECT_EQ(info.sample_rate, 48000u);
    EXPECT_EQ(info.channels, 1u);
    EXPECT_GT(info.bitrate, 0u);
    ExpectTags(info, "2021");
    EXPECT_EQ(info.profile, "");  // DLNA has no FLAC profile
    EXPECT_TRUE(info.has_cover);
}

TEST_F(MediaProbeTest, AnM4aIsAacIso320ByItsRate) {
    const MediaFileInfo info = Probe("tone.m4a", "audio/mp4");
    EXPECT_NEAR(info.duration_ms, 2000, 60);
    EXPECT_EQ(info.sample_rate, 44100u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_NEAR(info.bitrate, 96000 / 8, 2000);
    ExpectTags(info, "2021-05-03");
    EXPECT_EQ(info.profile, "AAC_ISO_320");
    EXPECT_FALSE(info.has_cover);
}

TEST_F(MediaProbeTest, AnMp4GivesItsPictureSizeAndAnAvcProfile) {
    NeedVideo();
    const MediaFileInfo info = Probe("bars.mp4", "video/mp4");
    EXPECT_NEAR(info.duration_ms, 2000, 100);
    EXPECT_EQ(info.width, 320u);
    EXPECT_EQ(info.height, 240u);
    EXPECT_EQ(info.sample_rate, 44100u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_GT(info.bitrate, 0u);
    EXPECT_LT(info.bitrate, 520000u / 8);
    EXPECT_EQ(info.title, "Bars");
    EXPECT_EQ(info.track, 0u);
    // H.264 Constrained Baseline at 320x240 with AAC LC, under 520 kbit/s.
    EXPECT_EQ(info.profile, "AVC_MP4_BL_CIF15_AAC_520");
    EXPECT_FALSE(info.has_cover);
}

TEST_F(MediaProbeTest, AnMpegTsNamesItsIsoProfile) {
    NeedVideo();
    const MediaFileInfo info = Probe("bars.ts", "video/mpeg");
    EXPECT_NEAR(info.duration_ms, 2000, 150);
    EXPECT_EQ(info.width, 320u);
    EXPECT_EQ(info.height, 240u);
    EXPECT_EQ(info.channels, 2u);
    EXPECT_EQ(info.profile, "AVC_TS_MP_SD_AAC_MULT5_ISO");
}

TEST_F(MediaProbeTest, AnMpegPsIsPalByItsSize) {
    const MediaFileInfo info = Probe("dvd.mpg", "video/mpeg");
    EXPECT_NEAR(info.duration_ms, 2000, 100);
    EXPECT_EQ(info.width, 720u);
    EXPECT_EQ(info.height, 576u);
    EXPECT_EQ(info.sample_rate, 48000u);
    EXPECT_EQ(info.profile, "MPEG_PS_PAL");
}

TEST_F(MediaProbeTest, PicturesGiveTheirSizeAndProfile) {
    const MediaFileInfo jpeg = Probe("photo.jpg", "image/jpeg");
    EXPECT_EQ(jpeg.width, 800u);
    EXPECT_EQ(jpeg.height, 600u);
    EXPECT_EQ(jpeg.profile, "JPEG_MED");
    EXPECT_EQ(jpeg.duration_ms, 0);
    const MediaFileInfo png = Probe("drawing.png", "image/png");
    EXPECT_EQ(png.width, 200u);
    EXPECT_EQ(png.height, 100u);
    EXPECT_EQ(png.profile, "PNG_LRG");
}

TEST_F(MediaProbeTest, ThumbnailsAreJpegsWithin160PixelsKeepingTheAspect) {
    const struct {
        const char* name;
        const char* mime;
        std::pair<int, int> size;
    } cases[] = {
        {"tone.mp3", "audio/mpeg", {160, 107}},   // the 300x200 cover
        {"tone.flac", "audio/flac", {160, 107}},  // the same
        {"photo.jpg", "image/jpeg", {160, 120}},  // 800x600
        {"drawing.png", "image/png", {160, 80}},  // 200x100, half transparent
    };
    for (const auto& c : cases) {
        std::string error;
        const std::string jpeg = MakeThumbnail(Path(c.name), c.mime, &error);
        EXPECT_EQ(error, "") << c.name;
        EXPECT_EQ(JpegSize(jpeg), c.size) << c.name;
    }
}

TEST_F(MediaProbeTest, AFileWithoutAPictureHasNoThumbnail) {
    std::string error;
    EXPECT_EQ(MakeThumbnail(Path("tone.m4a"), "audio/mp4", &error), "");
    EXPECT_NE(error, "");
}

TEST_F(MediaProbeTest, WhatNoReaderCanParseGivesNothingAndSaysWhy) {
    for (const char* name : {"noise.mp3", "missing.mp3"}) {
        std::string error;
        EXPECT_FALSE(ProbeMedia(Path(name), "audio/mpeg", &error)) << name;
        EXPECT_NE(error, "") << name;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        error.clear();
        EXPECT_EQ(MakeThumbnail(Path(name), "audio/mpeg", &error), "") << name;
        EXPECT_NE(error, "") << name;
    }
    std::string error;
    EXPECT_FALSE(ProbeMedia(Path("noise.mp3"), "image/jpeg", &error));
    EXPECT_NE(error, "");
    EXPECT_EQ(MakeThumbnail(Path("noise.mp3"), "image/jpeg", nullptr), "");
}

TEST_F(MediaProbeTest, SeveralThreadsProbeAtOnce) {
    const struct {
        std::string name;
        const char* mime;
        bool thumbnail;
    } files[] = {
        {"tone.mp3", "audio/mpeg", true},   {"tone.flac", "audio/flac", true},
        {"tone.m4a", "audio/mp4", false},   {"photo.jpg", "image/jpeg", true},
        {"drawing.png", "image/png", true},
    };
    std::vector<std::string> paths, expected;  // made here, before the threads
    for (const auto& file : files) {
        paths.push_back(Path(file.name));
        const auto info = ProbeMedia(paths.back(), file.mime, nullptr);
        expected.push_back(info ? info->profile + "/" + std::to_string(info->duration_ms) : "-");
    }
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                for (size_t i = 0; i < std::size(files); ++i) {
                    const auto info = ProbeMedia(paths[i], files[i].mime, nullptr);
                    const std::string got =
                        info ? info->profile + "/" + std::to_string(info->duration_ms) : "-";
                    if (got != expected[i]) ++mismatches[t];
                    if (MakeThumbnail(paths[i], files[i].mime, nullptr).empty() ==
                        files[i].thumbnail)
                        ++mismatches[t];
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}
