#include <gtest/gtest.h>

#include "content/ProtocolInfo.h"

namespace {

ProtocolInfoList::Entry Info(const char* protocol, const char* network, const char* format,
                             const char* info) {
    return std::make_shared<const ProtocolInfo>(ProtocolInfo{protocol, network, format, info});
}

}  // namespace

TEST(ProtocolInfo, ParsesThePartsAroundTheFirstThreeColons) {
    const struct {
        const char* text;
        ProtocolInfo expected;
    } cases[] = {
        {"http-get:*:audio/mpeg:*", {"http-get", "*", "audio/mpeg", "*"}},
        {"http-get:*:audio/mpeg:DLNA.ORG_PN=MP3;DLNA.ORG_OP=01",
         {"http-get", "*", "audio/mpeg", "DLNA.ORG_PN=MP3;DLNA.ORG_OP=01"}},
        {"http-get:*:audio/mpeg:first:second", {"http-get", "*", "audio/mpeg", "first"}},
        {"::video/mp4:*", {"", "", "video/mp4", "*"}},
        {"http-get:*:audio/mpeg", {}},
        {"http-get:*:audio/mpeg:", {}},
        {"http-get:*:audio/mpeg::x", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProtocolInfo::Parse(c.text), c.expected) << c.text;
    }
    EXPECT_TRUE(ProtocolInfo::Parse("http-get:*:audio/mpeg:*").IsComplete());
    EXPECT_FALSE(ProtocolInfo::Parse("::video/mp4:*").IsComplete());
    EXPECT_EQ(ProtocolInfo::Parse("a:b:c:d").ToString(), "a:b:c:d");
}

TEST(ProtocolInfoList, ParsesCompletePiecesUntilTheFirstEmptyOne) {
    const struct {
        const char* text;
        const char* kept;  // the list's text form
    } cases[] = {
        {"", ""},
        {"a:b:c:d", "a:b:c:d"},
        {"a:b:c:d,e:f:g:h", "a:b:c:d,e:f:g:h"},
        {"a:b:c:d,,e:f:g:h", "a:b:c:d"},
        {"a:b:c:d,", "a:b:c:d"},
        {",a:b:c:d", ""},
        {"a:b:c:d,broken,e:f:g:h", "a:b:c:d,e:f:g:h"},
        {"a:b:c:d,a:b:c:d", "a:b:c:d,a:b:c:d"},  // no duplicate check here
        {"a:b:c:d:x,e:f:g:h", "a:b:c:d,e:f:g:h"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProtocolInfoList::Parse(c.text).ToString(), c.kept) << c.text;
    }
}

TEST(ProtocolInfoList, AddSkipsIncompleteAndEqualValues) {
    ProtocolInfoList list;
    EXPECT_TRUE(list.Add(Info("http-get", "*", "audio/mpeg", "*")));
    EXPECT_FALSE(list.Add(Info("http-get", "*", "audio/mpeg", "*")));
    EXPECT_FALSE(list.Add(Info("http-get", "*", "", "*")));
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_TRUE(list.Add(Info("http-get", "*", "audio/mpeg", "DLNA.ORG_PN=MP3")));
    EXPECT_EQ(list.ToString(), "http-get:*:audio/mpeg:*,http-get:*:audio/mpeg:DLNA.ORG_PN=MP3");
}

TEST(ProtocolInfoList, FromArrayRefusesANullStringAndKeepsWhatAddKeeps) {
    char p[] = "http-get", n[] = "*", f[] = "video/mp4", i[] = "*", empty[] = "";
    const DLNA_PROTOCOL_INFO infos[] = {{p, n, f, i}, {p, n, f, i}, {p, n, empty, i}};
    ProtocolInfoList list;
    ASSERT_TRUE(ProtocolInfoList::FromArray(infos, 3, &list));
    EXPECT_EQ(list.ToString(), "http-get:*:video/mp4:*");

    const DLNA_PROTOCOL_INFO with_null[] = {{p, n, f, i}, {p, nullptr, f, i}};
    EXPECT_FALSE(ProtocolInfoList::FromArray(with_null, 2, &list));
    EXPECT_EQ(list.Size(), 1u);
    EXPECT_TRUE(ProtocolInfoList::FromArray(nullptr, 0, &list));
    EXPECT_TRUE(list.Empty());
}

TEST(ProtocolInfoList, ToArrayCopiesEveryEntryInOrder) {
    EXPECT_EQ(ProtocolInfoList().ToArray(), nullptr);

    const ProtocolInfoList list =
        ProtocolInfoList::Parse("http-get:*:audio/mpeg:*,rtsp:net:video/mp4:x");
    DLNA_PROTOCOL_INFO* array = list.ToArray();
    ASSERT_NE(array, nullptr);
    EXPECT_STREQ(array[0].content_format, "audio/mpeg");
    EXPECT_STREQ(array[1].protocol, "rtsp");
    EXPECT_STREQ(array[1].network, "net");
    EXPECT_STREQ(array[1].additional_info, "x");
    EXPECT_EQ(DLNA_FreeProtocolInfo(array, static_cast<unsigned>(list.Size())), DLNA_OK);
}
