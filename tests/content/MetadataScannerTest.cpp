// The background pass through the real reader process: what a tagged MP3
// with a cover gives the share tree, its cover served as a thumbnail, and a
// reader that dies on a file costing only that file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "ContentTestSupport.h"
#include "MediaFixtures.h"
#include "VirtualFileRegistry.h"
#include "content/MediaFileInfo.h"
#include "content/MetadataScanner.h"
#include "content/ShareTree.h"

namespace {

class MetadataScannerTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("DLNA_MEDIA_PROBE", MEDIA_PROBE, 1);
        tree.UpdateAddress("198.51.100.1", 49152);
        tree.OnAdded([this](uint64_t id, const std::string& path, const std::string& mime) {
            scanner.Enqueue(id, path, mime);
        });
    }
    void TearDown() override { VirtualFileRegistry::Destroy(); }

    std::string Browse(const std::string& id) {
        std::string didl;
        uint32_t returned = 0, total = 0;
        EXPECT_TRUE(tree.Browse(id, true, 0, 0, &didl, &returned, &total));
        return didl;
    }

    TempDir files;
    ShareTree tree;
    MetadataScanner scanner{tree, 1};
};

std::string Read(UpnpFileInterface& file) {
    std::string data;
    char buffer[4096];
    for (int n; (n = file.Read(buffer, sizeof buffer)) > 0;) data.append(buffer, n);
    return data;
}

}  // namespace

TEST_F(MetadataScannerTest, ATaggedMp3GetsItsTagsStreamAndCover) {
    fixtures::Recipe recipe;
    recipe.format = "mp3";
    recipe.audio_encoder = "libmp3lame";
    recipe.tags = {{"title", "Sine"}, {"artist", "Tester"}, {"album", "Fixtures"},
                   {"track", "3/9"}, {"date", "2021"}};
    recipe.cover_jpeg = fixtures::Picture(400, 300, "jpeg");
    const std::string path = (files.path() / "song.mp3").string();
    ASSERT_EQ(fixtures::WriteMedia(path, recipe), "");
    ASSERT_EQ(tree.AddFile(path, Share("audio/mpeg", std::filesystem::file_size(path))), 0);
    const uint32_t added = tree.SystemUpdateId();
    scanner.WaitIdle();
    EXPECT_GT(tree.SystemUpdateId(), added);
    const std::string item = Browse("4");
    for (const char* part :
         {"<dc:title>Sine</dc:title>", "<upnp:artist>Tester</upnp:artist>",
          "<upnp:album>Fixtures</upnp:album>", "<dc:date>2021-01-01</dc:date>",
          "<upnp:originalTrackNumber>3</upnp:originalTrackNumber>", "duration=\"00:00:02",
          "sampleFrequency=\"44100\"", "nrAudioChannels=\"2\"", "DLNA.ORG_PN=MP3;",
          "dlna:profileID=\"JPEG_TN\" xmlns:dlna=\"urn:schemas-dlna-org:metadata-1-0/\">"
          "http://198.51.100.1:49152/share/cover/4.jpg<"})
        EXPECT_NE(item.find(part), std::string::npos) << part << "\n" << item;

    auto cover = VirtualFileRegistry::Instance().Open("/share/cover/4.jpg", 0);
    ASSERT_TRUE(cover);
    const std::string jpeg = Read(*cover);
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");

    // Taken out with its item.
    ASSERT_EQ(tree.RemoveFile(path), 0);
    EXPECT_FALSE(VirtualFileRegistry::Instance().Open("/share/cover/4.jpg", 0));
}

TEST_F(MetadataScannerTest, AReaderThatDiesCostsOnlyItsFile) {
    // A reader that crashes on every question: the items stay as added and
    // the pass goes on to the next file with a new reader.
    const std::string crashing = files.File("crash.sh", "#!/bin/sh\nread line\nkill -SEGV $$\n");
    std::filesystem::permissions(crashing, std::filesystem::perms::owner_all);
    setenv("DLNA_MEDIA_PROBE", crashing.c_str(), 1);
    MetadataScanner crashed(tree, 1);
    tree.OnAdded([&](uint64_t id, const std::string& path, const std::string& mime) {
        crashed.Enqueue(id, path, mime);
    });
    testing::internal::CaptureStderr();
    const std::string a = files.File("a.mp3"), b = files.File("b.mp3");
    ASSERT_EQ(tree.AddFile(a, Share("audio/mpeg")), 0);
    ASSERT_EQ(tree.AddFile(b, Share("audio/mpeg")), 0);
    crashed.WaitIdle();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Cannot read the metadata of " + a + ": the reader stopped on signal 11"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Cannot read the metadata of " + b), std::string::npos) << log;
    EXPECT_NE(Browse("5").find("<dc:title>b.mp3</dc:title>"), std::string::npos);
}

TEST(MediaFileInfoText, RoundTripsAndFlattensLineBreaks) {
    MediaFileInfo info;
    info.duration_ms = 61500;
    info.width = 640;
    info.title = "two\nlines";
    info.track = 7;
    info.has_cover = true;
    const MediaFileInfo back = ParseMediaFileInfo(FormatMediaFileInfo(info) + "unknown=1\nbitrate=x\n");
    EXPECT_EQ(back.duration_ms, 61500);
    EXPECT_EQ(back.width, 640u);
    EXPECT_EQ(back.title, "two lines");
    EXPECT_EQ(back.track, 7u);
    EXPECT_TRUE(back.has_cover);
    EXPECT_EQ(back.bitrate, 0u);
    EXPECT_EQ(MetadataScanner::DateText("2021-05-03T10:00"), "2021-05-03");
    EXPECT_EQ(MetadataScanner::DateText("2021-05"), "2021-05-01");
    EXPECT_EQ(MetadataScanner::DateText("May 2021"), "");
}
