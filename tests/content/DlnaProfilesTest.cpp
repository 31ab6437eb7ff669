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
