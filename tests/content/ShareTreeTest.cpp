#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <regex>

#include "ContentTestSupport.h"
#include "VirtualFileRegistry.h"
#include "content/DidlLite.h"
#include "content/ShareTree.h"
#include "server/ContentDirectoryEvents.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const std::string kBase = "http://198.51.100.1:49152";

std::string Container(const std::string& id, const std::string& parent, const std::string& title) {
    return "<container id=\"" + id + "\" parentID=\"" + parent + "\" restricted=\"1\"><dc:title>" +
           title + "</dc:title><upnp:class>object.container</upnp:class></container>";
}

class ShareTreeTest : public testing::Test {
protected:
    void SetUp() override { tree.UpdateAddress("198.51.100.1", 49152); }
    void TearDown() override { VirtualFileRegistry::Destroy(); }

    // The Result of a Browse that must find its object.
    std::string Browse(const std::string& id, bool metadata, uint32_t start = 0,
                       uint32_t count = 0) {
        std::string didl;
        EXPECT_TRUE(tree.Browse(id, metadata, start, count, &didl, &returned, &total)) << id;
        return didl;
    }
    std::string Add(const std::string& name, const char* mime, uint64_t size = 1,
                    int32_t duration = 0) {
        const std::string path = files.File(name);
        const DLNA_SHARE_OBJECT object = Share(mime, size, duration);
        EXPECT_EQ(tree.AddFile(path, object), 0) << name;
        return path;
    }

    TempDir files;
    ShareTree tree;
    uint32_t returned = 0, total = 0;
};

}  // namespace

TEST_F(ShareTreeTest, AFreshTreeHasTheRootItsThreeCategoriesAndTheFolderView) {
    EXPECT_EQ(Browse("0", true), Document(Container("0", "-1", "root")));
    EXPECT_EQ(returned, 1u);
    EXPECT_EQ(total, 1u);
    EXPECT_EQ(Browse("0", false),
              Document(Container("1", "0", "视频") + Container("2", "0", "音乐") +
                       Container("3", "0", "图片") + Container("F", "0", "文件夹")));
    EXPECT_EQ(returned, 4u);
    EXPECT_EQ(total, 4u);
    EXPECT_EQ(Browse("F", false), Document(""));
    auto root = tree.FindById("0");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Title(), "root");
    EXPECT_EQ(root->ParentId(), "-1");
    EXPECT_EQ(tree.ItemCount(), 0u);
}

TEST_F(ShareTreeTest, TheFirstSongIsItemFourInMusicServedUnderItsId) {
    const std::string path = Add("song.mp3", "audio/mpeg", 900, (3 * 60 + 25) * 1000);
    EXPECT_EQ(
        Browse("4", true),
        Document("<item id=\"4\" parentID=\"2\" restricted=\"1\"><dc:title>song.mp3</dc:title>"
                 "<upnp:class>object.item.audioItem.musicTrack</upnp:class><res "
                 "protocolInfo=\"http-get:*:audio/mpeg:DLNA.ORG_PN=MP3;DLNA.ORG_OP=01;"
                 "DLNA.ORG_CI=0;DLNA.ORG_FLAGS=01700000000000000000000000000000\" "
                 "size=\"900\" duration=\"00:03:25\">" +
                 kBase + "/share/4.mp3</res></item>"));
    EXPECT_EQ(Browse("2", false), Browse("4", true));

    UpnpFileInfo* info = UpnpFileInfo_new();
    EXPECT_TRUE(VirtualFileRegistry::Instance().GetInfo("/share/4.mp3", info));
    EXPECT_STREQ(UpnpFileInfo_get_ContentType(info), "audio/mpeg");
    UpnpFileInfo_delete(info);
}

TEST_F(ShareTreeTest, TheMimeTypeChoosesTheCategoryByWhatItContains) {
    const struct {
        const char* mime;
        const char* parent;
    } cases[] = {
        {"video/mp4", "1"},       {"audio/mpeg", "2"},
        {"image/png", "3"},       {"application/x-video/foo", "1"},
        {"x-audio/video/x", "1"},  // video is asked first
        {"x/image/audio/y", "2"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = Add("file" + std::to_string(n++), c.mime);
        auto item = tree.FindByPath(path);
        ASSERT_TRUE(item) << c.mime;
        EXPECT_EQ(item->ParentId(), c.parent) << c.mime;
    }
}

TEST_F(ShareTreeTest, AMimeTypeOfNoCategoryIsRefusedWithoutUsingAnId) {
    const std::string path = files.File("notes.txt");
    CaptureStderr();
    EXPECT_EQ(tree.AddFile(path, Share("text/plain")), -501);
    EXPECT_NE(GetCapturedStderr().find("[WARNING] "), std::string::npos);
    CaptureStderr();
    EXPECT_EQ(tree.AddFile(path, Share("video")), -501);
    EXPECT_NE(GetCapturedStderr().find("Unkown mimetype: video\n"), std::string::npos);
    EXPECT_EQ(tree.ItemCount(), 0u);
    Add("clip.mp4", "video/mp4");
    EXPECT_TRUE(tree.FindById("4"));
}

TEST_F(ShareTreeTest, AnImageResourceHasNoDurationAndEndsItsStartTagWithASpace) {
    Add("photo.jpg", "image/jpeg", 5, 1234);
    EXPECT_NE(Browse("4", true).find(
                  "<res protocolInfo=\"http-get:*:image/jpeg:DLNA.ORG_PN=JPEG_LRG;DLNA.ORG_OP=01;"
                  "DLNA.ORG_CI=0;DLNA.ORG_FLAGS=00F00000000000000000000000000000\" size=\"5\" >" +
                  kBase + "/share/4.jpg</res>"),
              std::string::npos);
}

TEST_F(ShareTreeTest, DurationsAreWrittenAsSimpleTimeSpans) {
    const struct {
        int32_t ms;
        const char* text;
    } cases[] = {
        {0, "00:00:00"},          {205000, "00:03:25"},        {205500, "00:03:25.500000"},
        {360000000, "100:00:00"}, {-1500, "-00:00:01.500000"}, {INT32_MIN, "-596:31:23.648000"},
    };
    for (const auto& c : cases) EXPECT_EQ(DurationText(c.ms), c.text) << c.ms;
}

TEST_F(ShareTreeTest, RemovingAndAddingAgainGivesANewIdAndNeverReusesTheOld) {
    const std::string path = Add("song.mp3", "audio/mpeg");
    EXPECT_EQ(tree.RemoveFile(path), 0);
    std::string didl;
    EXPECT_FALSE(tree.Browse("4", true, 0, 0, &didl, &returned, &total));
    EXPECT_FALSE(tree.FindByPath(path));
    EXPECT_EQ(VirtualFileRegistry::Instance().Size(), 0u);
    EXPECT_EQ(tree.RemoveFile(path), -501);

    EXPECT_EQ(tree.AddFile(path, Share("audio/mpeg")), 0);
    EXPECT_EQ(tree.FindByPath(path)->Id(), "5");
    EXPECT_FALSE(tree.FindById("4"));
}

TEST_F(ShareTreeTest, BrowsePagesThroughChildrenByPosition) {
    for (int i = 0; i < 6; ++i) Add("song" + std::to_string(i) + ".mp3", "audio/mpeg");
    ASSERT_EQ(tree.RemoveFile((files.path() / "song1.mp3").string()), 0);  // id 5
    const struct {
        uint32_t start, count;
        std::vector<std::string> ids;
    } cases[] = {
        {0, 0, {"4", "6", "7", "8", "9"}},
        {1, 2, {"6", "7"}},
        {3, 10, {"8", "9"}},
        {5, 0, {}},
        {99, 1, {}},
    };
    for (const auto& c : cases) {
        const std::string didl = Browse("2", false, c.start, c.count);
        std::vector<std::string> ids;
        const std::regex item_id("<item id=\"(\\d+)\"");
        for (std::sregex_iterator it(didl.begin(), didl.end(), item_id), end; it != end; ++it)
            ids.push_back((*it)[1]);
        EXPECT_EQ(ids, c.ids) << c.start << "+" << c.count;
        EXPECT_EQ(returned, c.ids.size());
        EXPECT_EQ(total, 5u);
    }
}

TEST_F(ShareTreeTest, AnItemsChildIsItself) {
    Add("clip.mp4", "video/mp4");
    EXPECT_EQ(Browse("4", false), Browse("4", true));
    EXPECT_EQ(returned, 1u);
    EXPECT_EQ(total, 1u);
    EXPECT_EQ(Browse("4", false, 1, 0), Document(""));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(total, 1u);
}

TEST_F(ShareTreeTest, OnlyAnIdWrittenExactlyFindsItsObject) {
    Add("clip.mp4", "video/mp4");
    for (const char* id : {"04", "4 ", " 4", "+4", "-1", "", "99", "18446744073709551616"}) {
        std::string didl = "untouched";
        EXPECT_FALSE(tree.Browse(id, true, 0, 0, &didl, &returned, &total)) << id;
        EXPECT_EQ(didl, "untouched");
        EXPECT_FALSE(tree.FindById(id)) << id;
    }
}

TEST_F(ShareTreeTest, TextIsEscapedInEveryFragment) {
    const std::string path = Add("Tom & Jerry's <1>.mp3", "audio/mpeg");
    const std::string title = "<dc:title>Tom &amp; Jerry&apos;s &lt;1&gt;.mp3</dc:title>";
    EXPECT_NE(Browse("4", true).find(title), std::string::npos);
    EXPECT_NE(Browse("2", false).find(title), std::string::npos);
    EXPECT_EQ(tree.FindByPath(path)->Title(), "Tom & Jerry's <1>.mp3");
}

TEST_F(ShareTreeTest, AFileNameThatIsNotUtf8BecomesAValidTitle) {
    Add("caf\xE9.mp3", "audio/mpeg");
    const std::string didl = Browse("4", true);
    EXPECT_NE(didl.find("<dc:title>caf\xEF\xBF\xBD.mp3</dc:title>"), std::string::npos);
    std::vector<std::shared_ptr<ShareObject>> objects;
    CaptureStderr();  // the parser does not know duration
    EXPECT_EQ(ParseShareObjects(didl, &objects), 0);
    GetCapturedStderr();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]->Title(), "caf\xEF\xBF\xBD.mp3");
}

TEST_F(ShareTreeTest, UrlsFollowTheAddressIncludingFilesAddedBeforeIt) {
    ShareTree fresh;  // no address yet, and no runtime in a unit test
    const std::string path = files.File("clip.mp4");
    ASSERT_EQ(fresh.AddFile(path, Share("video/mp4")), 0);
    const auto url = [&] {
        auto item = fresh.FindByPath(path);
        return static_cast<const ShareItem&>(*item).Resources().at(0)->Url();
    };
    EXPECT_EQ(url(), "http://:0/share/4.mp4");
    fresh.UpdateAddress("198.51.100.2", 8080);
    EXPECT_EQ(url(), "http://198.51.100.2:8080/share/4.mp4");
    std::string didl;
    ASSERT_TRUE(fresh.Browse("1", false, 0, 0, &didl, &returned, &total));
    EXPECT_NE(didl.find(">http://198.51.100.2:8080/share/4.mp4</res>"), std::string::npos);
}

TEST_F(ShareTreeTest, FindByPathGoesByTheFileAndFallsBackToThePath) {
    const std::string path = Add("song.mp3", "audio/mpeg");
    const std::string link = (files.path() / "link.mp3").string();
    std::filesystem::create_hard_link(path, link);
    const std::string spelled = (files.path() / "." / "song.mp3").string();
    EXPECT_EQ(tree.FindByPath(link)->Id(), "4");
    EXPECT_EQ(tree.FindByPath(spelled)->Id(), "4");

    std::filesystem::remove(path);
    EXPECT_EQ(tree.FindByPath(path)->Id(), "4");  // gone: by its path
    // The inode lives on under another name, which was never shared.
    EXPECT_FALSE(tree.FindByPath(link));
    EXPECT_EQ(tree.RemoveFile(link), -501);
    files.File("song.mp3", "another file");
    EXPECT_EQ(tree.FindByPath(path)->Id(), "4");  // replaced: by its path
    EXPECT_FALSE(tree.FindByPath((files.path() / "other.mp3").string()));
}

TEST_F(ShareTreeTest, AFileSharedTwiceIsFoundAndRemovedVideoFirst) {
    const std::string path = Add("clip", "audio/mpeg");
    ASSERT_EQ(tree.AddFile(path, Share("video/mp4")), 0);
    EXPECT_EQ(tree.FindByPath(path)->Id(), "5");
    EXPECT_EQ(tree.RemoveFile(path), 0);
    EXPECT_EQ(tree.FindByPath(path)->Id(), "4");
    EXPECT_EQ(tree.RemoveFile(path), 0);
    EXPECT_EQ(tree.RemoveFile(path), -501);
}

TEST_F(ShareTreeTest, AnItemBecomesAContentElementWithItsResources) {
    const std::string path = Add("song.mp3", "audio/mpeg", 900, 1000);
    auto* element =
        static_cast<DLNA_CONTENT_ELEMENT*>(std::calloc(1, sizeof(DLNA_CONTENT_ELEMENT)));
    tree.FindByPath(path)->ToElement(element);
    ASSERT_EQ(element->type, DLNA_CONTENT_ITEM);
    const auto& item = element->element.item;
    EXPECT_STREQ(item.id, "4");
    EXPECT_STREQ(item.parent_id, "2");
    ASSERT_EQ(item.res_count, 1);
    EXPECT_STREQ(item.res[0].uri, (kBase + "/share/4.mp3").c_str());
    EXPECT_STREQ(item.res[0].protocol_info.content_format, "audio/mpeg");
    EXPECT_EQ(item.res[0].size, 900u);
    EXPECT_EQ(item.didl, Browse("4", true));
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(element, 1), 0);

    element = static_cast<DLNA_CONTENT_ELEMENT*>(std::calloc(1, sizeof(DLNA_CONTENT_ELEMENT)));
    tree.FindById("2")->ToElement(element);
    ASSERT_EQ(element->type, DLNA_CONTENT_CONTAINER);
    EXPECT_STREQ(element->element.container.title, "音乐");
    EXPECT_EQ(element->element.container.didl, Document(Container("2", "0", "音乐")));
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(element, 1), 0);
}

// Each change goes to the watcher as it happens; the service's moderator
// gathers them into one event per interval, every changed container kept.
TEST_F(ShareTreeTest, ChangesCountAndReachTheContentDirectoryEvents) {
    std::vector<EventValues> published;
    std::mutex mutex;
    std::condition_variable arrived;
    auto events = std::make_shared<ContentDirectoryEvents>(
        [&](const EventValues& values) {
            std::lock_guard<std::mutex> guard(mutex);
            published.push_back(values);
            arrived.notify_all();
        },
        std::chrono::milliseconds(2000));
    tree.Watch(events);
    EXPECT_EQ(tree.EventState(),
              (EventValues{{"SystemUpdateID", "0"}, {"ContainerUpdateIDs", ""}}));
    const std::string song = Add("a.mp3", "audio/mpeg");
    Add("b.mp4", "video/mp4");
    ASSERT_EQ(tree.RemoveFile(song), 0);
    EXPECT_EQ(tree.SystemUpdateId(), 3u);
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(
        arrived.wait_for(lock, std::chrono::seconds(10), [&] { return !published.empty(); }));
    // The three changes fell within the first event's 10 ms, or split
    // between it and the next: either way the latest values arrive.
    arrived.wait_for(lock, std::chrono::seconds(5),
                     [&] { return published.back()[0].second == "3"; });
    EXPECT_EQ(published.back()[0], (std::pair<std::string, std::string>{"SystemUpdateID", "3"}));
    EXPECT_NE(published.back()[1].second.find("2,2"), std::string::npos);
}

TEST_F(ShareTreeTest, TheFolderViewShowsFoldersBelowTheDeepestOneHoldingEverything) {
    std::filesystem::create_directories(files.path().string() + "/Music/Album");
    std::filesystem::create_directories(files.path().string() + "/Videos");
    const std::string song = Add("Music/Album/song.mp3", "audio/mpeg");
    // One folder alone: "F" shows its contents, views name their item.
    std::string only = Browse("F", false);
    EXPECT_EQ(total, 1u);
    EXPECT_NE(only.find("parentID=\"F\" restricted=\"1\" refID=\"4\"><dc:title>song.mp3"),
              std::string::npos)
        << only;
    const std::string album_id = std::regex_replace(only, std::regex(".*id=\"(F[0-9]+)_4\".*"), "$1");

    Add("Videos/clip.mp4", "video/mp4");
    const std::string top = Browse("F", false);
    EXPECT_EQ(total, 2u);
    EXPECT_NE(top.find("<dc:title>Music</dc:title>"), std::string::npos) << top;
    EXPECT_NE(top.find("<dc:title>Videos</dc:title>"), std::string::npos) << top;
    EXPECT_EQ(top.find("parentID=\"F0\""), std::string::npos) << top;
    // The album keeps its id, now one level down, its parent named.
    const std::string music_id =
        std::regex_replace(top, std::regex(".*<container id=\"(F[0-9]+)\" parentID=\"F\" restricted=\"1\"><dc:title>Music<.*"), "$1");
    const std::string music = Browse(music_id, false);
    EXPECT_NE(music.find("<container id=\"" + album_id + "\" parentID=\"" + music_id + "\""),
              std::string::npos)
        << music;
    EXPECT_NE(Browse(album_id + "_4", true).find("refID=\"4\""), std::string::npos);
    // Search below the view finds the views, below the root only the items.
    std::string didl;
    ASSERT_TRUE(tree.Search("F", *SearchCriteria::Parse("upnp:class derivedfrom \"object.item\""),
                            {}, 0, 0, &didl, &returned, &total));
    EXPECT_EQ(total, 2u);
    ASSERT_TRUE(tree.Search("0", *SearchCriteria::Parse("upnp:class derivedfrom \"object.item\""),
                            {}, 0, 0, &didl, &returned, &total));
    EXPECT_EQ(total, 2u);

    // Emptied folders leave the view; the album is "F"'s content again.
    ASSERT_EQ(tree.RemoveFile(files.path().string() + "/Videos/clip.mp4"), 0);
    EXPECT_EQ(Browse("F", false), only);
    ASSERT_EQ(tree.RemoveFile(song), 0);
    EXPECT_EQ(Browse("F", false), Document(""));
    EXPECT_FALSE(tree.FindById(album_id));
    EXPECT_FALSE(tree.FindById(album_id + "_4"));
}

TEST_F(ShareTreeTest, MetadataEnrichesTheItemAndItsView) {
    const std::string path = Add("a.mp3", "audio/mpeg", 5000);
    const uint32_t before = tree.SystemUpdateId();
    ShareTree::Metadata metadata;
    metadata.title = "Song <1>";
    metadata.duration_ms = 61500;
    metadata.properties = {16000, 44100, 2, 0, 0};
    metadata.profile = "MP3X";
    metadata.tags.artist = "Band";
    metadata.tags.album = "Album";
    metadata.tags.track = 3;
    metadata.tags.date = "2021-01-01";
    metadata.tags.album_art = "/share/cover/4.jpg";
    EXPECT_FALSE(tree.ApplyMetadata(4, path + ".other", metadata));
    ASSERT_TRUE(tree.ApplyMetadata(4, path, metadata));
    EXPECT_GT(tree.SystemUpdateId(), before);
    const std::string item = Browse("4", true);
    for (const char* part :
         {"<dc:title>Song &lt;1&gt;</dc:title>", "<dc:creator>Band</dc:creator>",
          "<upnp:artist>Band</upnp:artist>", "<upnp:album>Album</upnp:album>",
          "<dc:date>2021-01-01</dc:date>", "<upnp:originalTrackNumber>3</upnp:originalTrackNumber>",
          "dlna:profileID=\"JPEG_TN\"", ">http://198.51.100.1:49152/share/cover/4.jpg<",
          "DLNA.ORG_PN=MP3X;DLNA.ORG_OP=01", "duration=\"00:01:01.500000\"", "bitrate=\"16000\"",
          "sampleFrequency=\"44100\"", "nrAudioChannels=\"2\""})
        EXPECT_NE(item.find(part), std::string::npos) << part << "\n" << item;
    const std::string view = Browse("F", false);
    EXPECT_NE(view.find("<upnp:album>Album</upnp:album>"), std::string::npos) << view;
    EXPECT_EQ(tree.ContentFeatures("/share/4.mp3").substr(0, 16), "DLNA.ORG_PN=MP3X");
    std::string didl;
    ASSERT_TRUE(tree.Search("0", *SearchCriteria::Parse("upnp:artist = \"band\""), {}, 0, 0, &didl,
                            &returned, &total));
    EXPECT_EQ(total, 1u);
}
