#include <gtest/gtest.h>
#include <ixml.h>

#include <random>

#include "ContentTestSupport.h"
#include "Xml.h"
#include "content/DidlLite.h"
#include "content/ShareObject.h"
#include "content/XmlText.h"

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

}  // namespace

TEST(XmlText, ReplacesIllFormedUtf8AndCharactersXmlRefuses) {
    const struct {
        const char* why;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"ASCII", "song.mp3", "song.mp3"},
        {"two, three and four bytes", "T\xC3\xB6n \xE9\x9F\xB3 \xF0\x9F\x8E\xB5",
         "T\xC3\xB6n \xE9\x9F\xB3 \xF0\x9F\x8E\xB5"},
        {"tab, line feed, carriage return", "a\tb\nc\rd", "a\tb\nc\rd"},
        {"Latin-1 byte", "caf\xE9.mp3", "caf" + kFffd + ".mp3"},
        {"lone continuation", "\x80x", kFffd + "x"},
        {"truncated at the end", "a\xC3", "a" + kFffd},
        {"truncated three-byte form, one replacement", "\xE2\x82x", kFffd + "x"},
        {"overlong NUL", "\xC0\x80", kFffd + kFffd},
        {"overlong three-byte form", "\xE0\x80\x80", kFffd + kFffd + kFffd},
        {"surrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd},
        {"above U+10FFFF", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
        {"lead byte F5", "\xF5\x80", kFffd + kFffd},
        {"NUL", std::string("a\0b", 3), "a" + kFffd + "b"},
        {"control character",
         "a\x01"
         "b",
         "a" + kFffd + "b"},
        {"U+FFFE", "\xEF\xBF\xBE", kFffd},
        {"U+FFFF", "\xEF\xBF\xBF", kFffd},
        {"U+FFFD stays", kFffd, kFffd},
    };
    for (const auto& c : cases) EXPECT_EQ(xmltext::ValidText(c.bytes), c.text) << c.why;
}

TEST(XmlText, EscapesTheFivePredefinedEntities) {
    std::string out;
    xmltext::AppendEscaped(out, "a&b<c>d\"e'f");
    EXPECT_EQ(out, "a&amp;b&lt;c&gt;d&quot;e&apos;f");
}

// Whatever bytes a file name holds, the item's document parses and gives
// back the sanitised title.
TEST(XmlText, EveryTitleLeavesAWellFormedDocument) {
    std::mt19937 random(20240607);
    // Its terminating NUL is one of the bytes.
    static const char kAscii[] = "aZ &<>\"';\t\n\r\x01\x7F";
    const std::string alphabet =
        std::string(kAscii, sizeof kAscii) + "\x80\xBF\xC0\xC3\xE0\xED\xEF\xF0\xF4\xF5\xFF\xA0\xB6";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1), length(0, 24);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (size_t n = length(random); n > 0; --n) bytes += alphabet[pick(random)];
        ShareItem item("4", "2", xmltext::ValidText(bytes));
        item.AddResource(std::make_unique<ShareResource>(
            "", bytes, 1,
            std::make_shared<const ProtocolInfo>(ProtocolInfo{bytes, "*", "x", "*"})));
        const std::string didl = DidlDocument(item);
        // ixml drops text that is all white space.
        std::string text = xmltext::ValidText(bytes);
        if (text.find_first_not_of(" \t\r\n") == std::string::npos) text.clear();

        IXML_Document* parsed = nullptr;
        ASSERT_EQ(ixmlParseBufferEx(didl.c_str(), &parsed), IXML_SUCCESS) << didl;
        const UniqueXmlDocument document(parsed);
        auto titles = xml::ElementsByTag(parsed, "title");
        ASSERT_EQ(titles.size(), 1u);
        EXPECT_EQ(xml::AllText(titles[0]), text);
        auto res = xml::ElementsByTag(parsed, "res");
        ASSERT_EQ(res.size(), 1u);
        EXPECT_EQ(xml::AllText(res[0]), text);
    }
}
