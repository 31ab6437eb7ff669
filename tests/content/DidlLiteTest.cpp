#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "ContentTestSupport.h"
#include "content/DidlLite.h"
#include "content/ShareObject.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

using Objects = std::vector<std::shared_ptr<ShareObject>>;

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(HALVORN_TEST_DATA) + "/content/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Parses `didl`; the log it wrote goes to `log`.
int Parse(const std::string& didl, Objects* objects, std::string* log) {
    CaptureStderr();
    const int rc = ParseShareObjects(didl, objects);
    *log = GetCapturedStderr();
    return rc;
}

// `text` is on a WARNING line of `log`.
bool Warned(const std::string& log, const std::string& text) {
    const size_t at = log.find(text);
    if (at == std::string::npos) return false;
    const size_t line = log.rfind('\n', at);
    return log.compare(line == std::string::npos ? 0 : line + 1, 10, "[WARNING] ") == 0;
}

const ShareItem& AsItem(const std::shared_ptr<ShareObject>& object) {
    return dynamic_cast<const ShareItem&>(*object);
}

std::string Summary(const Objects& objects) {
    std::string text;
    for (const auto& object : objects)
        text += std::string(object->ElementName()) + " " + object->Id() + "<" + object->ParentId() +
                " '" + object->Title() + "'" + (object->Restricted() ? "" : " unrestricted") + "\n";
    return text;
}

}  // namespace

// Browse results captured from minidlna (capture-minidlna.sh).
TEST(ParseShareObjects, ReadsMinidlnaBrowseResults) {
    const struct {
        const char* file;
        const char* objects;
        std::vector<const char*> logged;
    } cases[] = {
        {"minidlna-root.xml",
         "container 64<0 'Browse Folders'\ncontainer 1<0 'Music'\ncontainer 3<0 'Pictures'\n"
         "container 2<0 'Video'\n",
         {"Unsupported container attribute: searchable=1",
          "Unsupported container attribute: childCount=7",
          "Unsupported container child: upnp:storageUsed=-1"}},
        {"minidlna-folders.xml",
         "container 64$0<64 'Album'\nitem 64$1<64 'photo'\n",
         {"Unsupported res attribute: resolution=64x48"}},
        {"minidlna-album.xml",
         "item 64$0$0<64$0 'Tön & Co'\n",
         {"Unsupported res attribute: duration=0:00:00.173",
          "Unsupported res attribute: nrAudioChannels=2"}},
        {"minidlna-song-metadata.xml", "item 64$0$0<64$0 'Tön & Co'\n", {}},
    };
    for (const auto& c : cases) {
        Objects objects;
        std::string log;
        ASSERT_EQ(Parse(Fixture(c.file), &objects, &log), 0) << c.file;
        EXPECT_EQ(Summary(objects), c.objects) << c.file;
        for (const char* line : c.logged) EXPECT_TRUE(Warned(log, line)) << line;
    }
}

TEST(ParseShareObjects, ReadsResourcesWithTheirProtocolInfoSizeAndUrl) {
    Objects objects;
    std::string log;
    ASSERT_EQ(Parse(Fixture("minidlna-folders.xml"), &objects, &log), 0);
    const auto& resources = AsItem(objects.at(1)).Resources();
    ASSERT_EQ(resources.size(), 2u);
    EXPECT_EQ(resources[0]->Url(), "http://198.51.100.2:8200/MediaItems/24.jpg");
    EXPECT_EQ(resources[0]->Size(), 2202u);
    EXPECT_EQ(resources[0]->LocalPath(), "");
    EXPECT_EQ(resources[0]->Info(),
              (ProtocolInfo{"http-get", "*", "image/jpeg",
                            "DLNA.ORG_PN=JPEG_SM;DLNA.ORG_OP=01;DLNA.ORG_CI=0;DLNA.ORG_FLAGS="
                            "00F00000000000000000000000000000"}));
    EXPECT_EQ(resources[1]->Url(), "http://198.51.100.2:8200/Resized/24.jpg?width=160,height=120");
    EXPECT_EQ(resources[1]->Size(), 0u);  // it has none
}

// What is read and written again reads the same.
TEST(ParseShareObjects, ObjectsSurviveBeingWrittenAndReadAgain) {
    for (const char* file : {"minidlna-root.xml", "minidlna-folders.xml", "hostile-values.xml"}) {
        Objects first, second;
        std::string log;
        ASSERT_EQ(Parse(Fixture(file), &first, &log), 0) << file;
        std::string fragments;
        for (const auto& object : first) object->ToXml(fragments);
        ASSERT_EQ(Parse(Document(fragments), &second, &log), 0) << fragments;
        EXPECT_EQ(Summary(second), Summary(first)) << file;
    }
}

TEST(ParseShareObjects, ContainersComeFirstWhateverTheTextsOrder) {
    Objects objects;
    std::string log;
    ASSERT_EQ(Parse(Fixture("item-before-container.xml"), &objects, &log), 0);
    EXPECT_EQ(Summary(objects),
              "container 5<0 'second in the text'\nitem 10<5 'first in the text' unrestricted\n");
    EXPECT_EQ(log, "");  // white space between elements is no child
}

TEST(ParseShareObjects, HostileValuesAreLoggedShortAndReadAsZero) {
    Objects objects;
    std::string log;
    ASSERT_EQ(Parse(Fixture("hostile-values.xml"), &objects, &log), 0);
    EXPECT_EQ(Summary(objects),
              "container c1<0 'Outer & <raw>'\nitem i1<c1 'nested' unrestricted\nitem < 'no id'\n");
    const auto& resources = AsItem(objects.at(1)).Resources();
    ASSERT_EQ(resources.size(), 5u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(resources[i]->Size(), 0u) << i;
    EXPECT_EQ(resources[4]->Size(), UINT64_MAX);
    EXPECT_EQ(resources[4]->Url(), "http://192.0.2.7/5.mp3?a=1&b=2");
    EXPECT_FALSE(resources[1]->Info().IsComplete());

    for (const char* line :
         {"Invalid res size: 12abc\n", "Invalid res size: -5\n",
          "Invalid res size: 99999999999999999999\n", "Invalid res size: \n",
          "Unsupported container child: upnp:genre=Jazz\n",
          "Unsupported container child: item=stray text\n", "Unsupported child: #text=stray text\n",
          "Unsupported child: dc:creator=someone\n"})
        EXPECT_TRUE(Warned(log, line)) << line;
    // The 1000-character values are cut.
    EXPECT_TRUE(
        Warned(log, "Unsupported container attribute: note=" + std::string(200, 'x') + "...\n"));
    EXPECT_TRUE(Warned(log, "Unsupported child: other:thing=" + std::string(200, 'x') + "...\n"));
}

TEST(ParseShareObjects, EmptyOrMalformedDocumentsLeaveTheListAlone) {
    const struct {
        std::string text;
        const char* logged;
    } cases[] = {
        {"", "ParseShareObjects failed: xml is empty\n"},
        {Fixture("truncated-response.xml"), "ixmlParseBuffer failed: <DIDL-Lite "},
        {Fixture("mismatched-tags.xml"), "ixmlParseBuffer failed: "},
        {Fixture("two-roots.xml"), "ixmlParseBuffer failed: "},
        {Fixture("raw-ampersand.xml"), "ixmlParseBuffer failed: "},
        {"not xml at all", "ixmlParseBuffer failed: not xml at all\n"},
        {std::string("<DIDL-Lite>\xff</DIDL-Lite>"), "ixmlParseBuffer failed: "},
    };
    for (const auto& c : cases) {
        Objects objects{std::make_shared<ShareItem>("kept")};
        std::string log;
        EXPECT_EQ(Parse(c.text, &objects, &log), -107) << c.text;
        EXPECT_EQ(objects.size(), 1u);
        EXPECT_TRUE(Warned(log, c.logged)) << log;
        EXPECT_LT(log.size(), 400u);
    }
}

// Large results are read whole and in order; shapes no DIDL-Lite has are
// refused quickly.
TEST(ParseShareObjects, ReadsLargeResultsInOrderAndRefusesHostileShapes) {
    std::string fragments;
    for (int i = 0; i < 30000; ++i) {
        const std::string id = std::to_string(i);
        if (i % 1000 == 999)
            fragments += "<container id=\"c" + id + "\"><dc:title>c</dc:title></container>";
        else
            fragments += "<item id=\"" + id + "\"><dc:title>t" + id + "</dc:title><res size=\"" +
                         id + "\">u</res></item>";
    }
    Objects objects;
    std::string log;
    ASSERT_EQ(Parse(Document(fragments), &objects, &log), 0);
    ASSERT_EQ(objects.size(), 30000u);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(objects[i]->Id(), "c" + std::to_string(i * 1000 + 999));
    int expected = 0;
    for (size_t i = 30; i < objects.size(); ++i, ++expected) {
        if (expected % 1000 == 999) ++expected;
        ASSERT_EQ(objects[i]->Id(), std::to_string(expected));
        ASSERT_EQ(AsItem(objects[i]).Resources().at(0)->Size(), static_cast<uint64_t>(expected));
    }

    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<item>";
    for (int i = 0; i < 100000; ++i) deep += "</item>";
    std::string wide = "<item id=\"1\">";
    for (int i = 0; i < 50000; ++i) wide += "<x/>";
    wide += "</item>";
    std::string attributes = "<item";
    for (int i = 0; i < 50000; ++i) attributes += " a" + std::to_string(i) + "=\"\"";
    attributes += "/>";
    for (const std::string& hostile :
         {deep, Document(wide), Document(attributes), Document(wide).substr(60)}) {
        EXPECT_EQ(Parse(hostile, &objects, &log), -107);
        EXPECT_LT(log.size(), 400u);
    }
}

// Entity and character references, CDATA, comments and processing
// instructions, as a DOM would have given them.
TEST(ParseShareObjects, DecodesReferencesAndCdata) {
    const std::string didl = Document(
        "<item id=\"a&amp;b\" parentID=\"&lt;&#x41;&#66;&gt;\">"
        "<dc:title>R&amp;B &lt;live&gt; &#x41;&#66;&quot;&apos;<![CDATA[ <&amp;> ]]>!</dc:title>"
        "<res protocolInfo=\"http-get:*:audio/mpeg:DLNA.ORG_PN=MP3&amp;x\">"
        "http://192.0.2.7/a?x=1&amp;y=2<!-- gone --><?pi gone?>&amp;z=3</res></item>");
    Objects objects;
    std::string log;
    ASSERT_EQ(Parse(didl, &objects, &log), 0) << log;
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]->Id(), "a&b");
    EXPECT_EQ(objects[0]->ParentId(), "<AB>");
    EXPECT_EQ(objects[0]->Title(), "R&B <live> AB\"' <&amp;> !");
    const auto& resources = AsItem(objects[0]).Resources();
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0]->Url(), "http://192.0.2.7/a?x=1&y=2&z=3");
    EXPECT_EQ(resources[0]->Info().additional_info, "DLNA.ORG_PN=MP3&x");
    EXPECT_EQ(log, "");
}

// Direct text of an object is logged per run: comments split a run, CDATA
// is a run of its own and runs of white space are no children.
TEST(ParseShareObjects, LogsStrayTextRunByRun) {
    Objects objects;
    std::string log;
    ASSERT_EQ(Parse(Document("<item id=\"1\">one<!-- c -->two  \n<![CDATA[three]]> \n\t"
                             "<dc:title>t</dc:title></item>"),
                    &objects, &log),
              0);
    EXPECT_TRUE(Warned(log, "Unsupported child: #text=one\n")) << log;
    EXPECT_TRUE(Warned(log, "Unsupported child: #text=two   \n")) << log;
    EXPECT_TRUE(Warned(log, "Unsupported child: #cdata-section=three\n")) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
}

// No DIDL-Lite document has a DOCTYPE; refusing it shuts out entity
// declarations, and with them expansion and external entities.
TEST(ParseShareObjects, RefusesADoctype) {
    const std::string laughs =
        "<!DOCTYPE DIDL-Lite [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>";
    for (const std::string& text : {
             "<!DOCTYPE DIDL-Lite>" + Document("<item id=\"1\"/>"),
             laughs + Document("<item id=\"1\"><dc:title>&c;</dc:title></item>"),
             "<!DOCTYPE DIDL-Lite SYSTEM \"http://192.0.2.7/x.dtd\">" +
                 Document("<item id=\"1\"/>"),
             "<!DOCTYPE DIDL-Lite [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
                 Document("<item id=\"1\"><dc:title>&x;</dc:title></item>"),
             Document("<item id=\"1\"><dc:title>&undeclared;</dc:title></item>"),
         }) {
        Objects objects;
        std::string log;
        EXPECT_EQ(Parse(text, &objects, &log), -107) << text;
        EXPECT_TRUE(objects.empty());
        EXPECT_TRUE(Warned(log, "ixmlParseBuffer failed: ")) << log;
    }
}

// What the document's structure allows, whatever its objects.
TEST(ParseShareObjects, AcceptsOnlyOneWellFormedUtf8Root) {
    const struct {
        std::string text;
        bool read;
    } cases[] = {
        {"<a/>", true},
        {"<a></a >", true},
        {"<?xml version=\"1.0\"?><!-- c --><a/><!-- d -->\n", true},
        {"<a b='>' c=\"/>\"><b/></a>", true},
        {"<a><![CDATA[</a>]]></a>", true},
        {"<a><!-- </a> --></a>", true},
        {"<a><?pi </a>?></a>", true},
        // The bytes are UTF-8, whatever the declaration says.
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xe9</a>", false},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xc3\xa9</a>", true},
        {"<a>", false},
        {"<a></b>", false},
        {"<a/><b/>", false},
        {"<a/>junk", false},
        {"junk<a/>", false},
        {"< a/>", false},
        {"<a><b></a></b>", false},
        {"<a b=\"unterminated/>", false},
        {"<a><!-- unterminated </a>", false},
        {"<a b=\"1\" b=\"2\"/>", false},
        {"<a>\x01</a>", false},
        {"<a>&#0;</a>", false},
        {"\xff\xfe<\0a\0/\0>\0", false},
    };
    for (const auto& c : cases) {
        std::string log;
        EXPECT_EQ(Parse(c.text, nullptr, &log) == 0, c.read) << c.text;
    }
}

// A flat result far beyond any real one is still read in linear time; its
// size alone is no reason to refuse it.
TEST(ParseShareObjects, ReadsAHugeFlatResult) {
    std::string fragments;
    constexpr int kCount = 100000;
    for (int i = 0; i < kCount; ++i)
        fragments += "<item id=\"" + std::to_string(i) + "\"><dc:title>x</dc:title></item>";
    Objects objects;
    std::string log;
    ASSERT_EQ(Parse(Document(fragments), &objects, &log), 0);
    ASSERT_EQ(objects.size(), static_cast<size_t>(kCount));
    EXPECT_EQ(objects.back()->Id(), std::to_string(kCount - 1));

    // One start tag may not grow past 16 KiB, whatever it holds.
    const std::string value(16 * 1024, 'v');
    EXPECT_EQ(Parse(Document("<item id=\"" + value + "\"/>"), &objects, &log), -107);
    EXPECT_EQ(Parse(Document("<item id=\"" + value.substr(0, 15 * 1024) + "\"/>"), &objects, &log),
              0);
}
