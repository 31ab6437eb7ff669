// ContentDirectory over the share tree: Browse paging, flags and sorting,
// Search, on a tree of a few items, and the fixed queries. Requests are fixtures; the object a
// row browses is set into the fixture's ObjectID.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "DLNA.h"
#include "ServerTestSupport.h"
#include "api/DLNAContext.h"
#include "common/DeviceTypes.h"
#include "content/ShareTree.h"
#include "server/ContentDirectoryService.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Ids(const std::string& didl, const std::string& element) {
    std::vector<std::string> ids;
    const std::regex pattern("<" + element + " id=\"([^\"]+)\"");
    for (std::sregex_iterator it(didl.begin(), didl.end(), pattern), end; it != end; ++it)
        ids.push_back((*it)[1].str());
    return ids;
}

// Three songs, a video and a picture, shared once for the whole suite.
class ContentDirectory : public testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/cds-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "v.mp4", "p.jpg"}) {
            std::ofstream(folder_ / name) << name;
            const std::string mime = fs::path(name).extension() == ".mp3"   ? "audio/mpeg"
                                     : fs::path(name).extension() == ".mp4" ? "video/mpeg"
                                                                            : "image/jpeg";
            DLNA_SHARE_OBJECT object{mime.c_str(), 5, 0};
            ASSERT_EQ(DLNA_DMS_AddShareObject((folder_ / name).c_str(), &object), 0) << name;
        }
    }
    static void TearDownTestSuite() { fs::remove_all(folder_); }

    void SetUp() override {
        UniqueXmlDocument scpd(ixmlLoadDocument(ShippedData("ContentDirectory.xml").c_str()));
        ASSERT_TRUE(service.LoadActionsFrom(scpd.get()));
        ASSERT_EQ(service.Actions().size(), 5u);
    }

    // The id of the item that shares `name`.
    static std::string ItemId(const std::string& name) {
        DLNA_CONTENT_ELEMENT* elements = nullptr;
        int32_t count = 0;
        if (DLNA_DMS_Browse((folder_ / name).c_str(), &elements, &count) != 0) return {};
        std::string id = elements[0].element.item.id;
        DLNA_DMSC_FreeContentElement(elements, count);
        return id;
    }

    std::unique_ptr<ServerCall> Browse(const std::string& fixture, const std::string& object,
                                       const std::string& sort = "") {
        IXML_Document* body = ixmlLoadDocument(ServerData("requests/" + fixture).c_str());
        EXPECT_NE(body, nullptr) << fixture;
        xml::SetText(body, xml::ElementsByTag(body, "ObjectID").front(), object);
        if (!sort.empty())
            xml::SetText(body, xml::ElementsByTag(body, "SortCriteria").front(), sort);
        auto call = std::make_unique<ServerCall>("Browse", body, "198.51.100.1");
        EXPECT_TRUE(service.Dispatch(call->get()));
        return call;
    }

    // A Search request made from the fixture with these arguments.
    std::unique_ptr<ServerCall> Search(const std::string& container, const std::string& criteria,
                                       const std::string& sort = "", uint32_t start = 0,
                                       uint32_t count = 0) {
        IXML_Document* body = ixmlLoadDocument(ServerData("requests/Search.xml").c_str());
        EXPECT_NE(body, nullptr);
        const std::pair<const char*, std::string> arguments[] = {
            {"ContainerID", container},
            {"SearchCriteria", criteria},
            {"SortCriteria", sort},
            {"StartingIndex", std::to_string(start)},
            {"RequestedCount", std::to_string(count)},
        };
        for (const auto& [name, value] : arguments)
            xml::SetText(body, xml::ElementsByTag(body, name).front(), value);
        auto call = std::make_unique<ServerCall>("Search", body, "198.51.100.1");
        EXPECT_TRUE(service.Dispatch(call->get()));
        return call;
    }

    static inline fs::path folder_;
    ContentDirectoryService service{
        {kContentDirectoryType, "urn:upnp-org:serviceId:ContentDirectory", "", "", ""},
        &DLNAContext::Shares()};
};

}  // namespace

TEST_F(ContentDirectory, BrowsePagesAndFlags) {
    const std::string music = "2", song = ItemId("b.mp3");
    const std::vector<std::string> songs{ItemId("a.mp3"), ItemId("b.mp3"), ItemId("c.mp3")};
    const struct {
        const char* fixture;
        std::string object;
        std::vector<std::string> containers, items;
        const char* returned;
        const char* total;
    } rows[] = {
        {"Browse_metadata.xml", "0", {"0"}, {}, "1", "1"},
        {"Browse_children.xml", "0", {"1", "2", "3", "F"}, {}, "4", "4"},
        {"Browse_children_from1_count1.xml", "0", {"2"}, {}, "1", "4"},
        // Any flag but BrowseMetadata lists the children.
        {"Browse_other_flag.xml", "0", {"1", "2", "3", "F"}, {}, "4", "4"},
        {"Browse_children.xml", music, {}, songs, "3", "3"},
        {"Browse_children_from1_count5.xml", music, {}, {songs[1], songs[2]}, "2", "3"},
        {"Browse_children_from3.xml", music, {}, {}, "0", "3"},
        {"Browse_metadata.xml", music, {music}, {}, "1", "1"},
        // An item's children are itself.
        {"Browse_children.xml", song, {}, {song}, "1", "1"},
        {"Browse_metadata.xml", song, {}, {song}, "1", "1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.fixture) + " of " + row.object);
        auto call = Browse(row.fixture, row.object);
        ASSERT_EQ(call->ErrorCode(), 0);
        const std::string didl = call->Result("Result").value_or("");
        EXPECT_EQ(
            didl.rfind("<DIDL-Lite xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\"", 0), 0u);
        EXPECT_TRUE(didl.ends_with("</DIDL-Lite>"));
        EXPECT_EQ(Ids(didl, "container"), row.containers);
        EXPECT_EQ(Ids(didl, "item"), row.items);
        EXPECT_EQ(call->Result("NumberReturned"), row.returned);
        EXPECT_EQ(call->Result("TotalMatches"), row.total);
        EXPECT_EQ(call->Result("UpdateID"),
                  std::to_string(DLNAContext::Shares().SystemUpdateId()));
    }
}

TEST_F(ContentDirectory, TheRootIsDescribedAndAnUnknownObjectIs701) {
    auto root = Browse("Browse_metadata.xml", "0");
    const std::string didl = root->Result("Result").value_or("");
    EXPECT_NE(didl.find("parentID=\"-1\""), std::string::npos) << didl;
    EXPECT_NE(didl.find("<dc:title>root</dc:title>"), std::string::npos);
    EXPECT_NE(didl.find("<upnp:class>object.container</upnp:class>"), std::string::npos);

    auto missing = Browse("Browse_children.xml", "99999");
    EXPECT_EQ(missing->ErrorCode(), 701);
    EXPECT_FALSE(missing->Result("Result"));
}

TEST_F(ContentDirectory, BrowseSortsChildren) {
    const std::vector<std::string> songs{ItemId("a.mp3"), ItemId("b.mp3"), ItemId("c.mp3")};
    const struct {
        const char* sort;
        std::vector<std::string> items;
    } rows[] = {
        {"", songs},
        {"-dc:title", {songs[2], songs[1], songs[0]}},
        // No song has an album: the next field decides.
        {" +upnp:album , -dc:title ", {songs[2], songs[1], songs[0]}},
    };
    for (const auto& row : rows) {
        auto call = Browse("Browse_children.xml", "2", row.sort);
        EXPECT_EQ(Ids(call->Result("Result").value_or(""), "item"), row.items) << row.sort;
    }
    auto refused = Browse("Browse_children.xml", "2", "+res@size");
    EXPECT_EQ(refused->ErrorCode(), 709);
    EXPECT_EQ(refused->ErrorText(), "Unsupported or invalid sort criteria");
}

TEST_F(ContentDirectory, SearchFindsPagesAndSorts) {
    const std::vector<std::string> songs{ItemId("a.mp3"), ItemId("b.mp3"), ItemId("c.mp3")};
    const std::string video = ItemId("v.mp4"), picture = ItemId("p.jpg");
    const struct {
        std::string container;
        const char* criteria;
        const char* sort;
        uint32_t start, count;
        std::vector<std::string> containers, items;
        uint32_t total;
    } rows[] = {
        // Depth first, each container before its children; the folder view
        // only below "F" (its files are the categories' items again).
        {"0", "*", "", 0, 0, {"1", "2", "3", "F"}, {video, songs[0], songs[1], songs[2], picture}, 9},
        {"0", R"(upnp:class derivedfrom "object.item")", "", 0, 0, {},
         {video, songs[0], songs[1], songs[2], picture}, 5},
        {"0", R"(upnp:class derivedfrom "object.container")", "", 0, 0, {"1", "2", "3", "F"}, {}, 4},
        // Each category's class.
        {"0", R"(upnp:class derivedfrom "object.item.audioItem")", "", 0, 0, {}, songs, 3},
        {"0", R"(upnp:class = "object.item.videoItem")", "", 0, 0, {}, {video}, 1},
        {"0", R"(upnp:class derivedfrom "object.item.imageItem")", "", 0, 0, {}, {picture}, 1},
        {"2", "*", "", 0, 0, {}, songs, 3},
        {"0", R"(res@protocolInfo contains "audio/mpeg")", "-dc:title", 1, 1, {}, {songs[1]}, 3},
        {"0", R"(dc:title = "V.MP4" or dc:title = "p.jpg")", "", 0, 0, {}, {video, picture}, 2},
        {"0", R"(upnp:artist = "Abba")", "", 0, 0, {}, {}, 0},
        {songs[0], "*", "", 0, 0, {}, {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.criteria) + " in " + row.container);
        auto call = Search(row.container, row.criteria, row.sort, row.start, row.count);
        ASSERT_EQ(call->ErrorCode(), 0);
        const std::string didl = call->Result("Result").value_or("");
        EXPECT_EQ(Ids(didl, "container"), row.containers);
        EXPECT_EQ(Ids(didl, "item"), row.items);
        EXPECT_EQ(call->Result("NumberReturned"),
                  std::to_string(row.containers.size() + row.items.size()));
        EXPECT_EQ(call->Result("TotalMatches"), std::to_string(row.total));
        EXPECT_EQ(call->Result("UpdateID"),
                  std::to_string(DLNAContext::Shares().SystemUpdateId()));
    }
    const struct {
        std::string container;
        const char* criteria;
        const char* sort;
        int code;
        const char* text;
    } errors[] = {
        {"0", R"(dc:title = song)", "", 708, "Unsupported or invalid search criteria"},
        {"0", "*", "+res@size", 709, "Unsupported or invalid sort criteria"},
        {"99999", "*", "", 701, "Invalid parameter"},
    };
    for (const auto& e : errors) {
        auto call = Search(e.container, e.criteria, e.sort);
        EXPECT_EQ(call->ErrorCode(), e.code) << e.criteria;
        EXPECT_EQ(call->ErrorText(), e.text) << e.criteria;
        EXPECT_FALSE(call->Result("Result"));
    }
}

TEST_F(ContentDirectory, FixedQueriesAnswerWhatSearchAndSortDo) {
    const struct {
        const char* action;
        const char* argument;
        const char* value;
    } queries[] = {
        {"GetSearchCapabilities", "SearchCaps",
         "@id,@refID,upnp:class,dc:title,dc:creator,upnp:artist,upnp:album,upnp:genre,"
         "dc:date,upnp:originalTrackNumber,res@protocolInfo,res@size"},
        {"GetSortCapabilities", "SortCaps",
         "dc:title,dc:creator,dc:date,upnp:class,upnp:album,upnp:originalTrackNumber"},
    };
    // Every change of the tree counts: a removal and an addition, two.
    const uint32_t before = DLNAContext::Shares().SystemUpdateId();
    ASSERT_EQ(DLNA_DMS_RemoveShareObject((folder_ / "p.jpg").c_str()), 0);
    DLNA_SHARE_OBJECT object{"image/jpeg", 5, 0};
    ASSERT_EQ(DLNA_DMS_AddShareObject((folder_ / "p.jpg").c_str(), &object), 0);
    for (const auto& q : queries) {
        ServerCall call(q.action, std::string(q.action) + ".xml");
        ASSERT_TRUE(service.Dispatch(call.get())) << q.action;
        EXPECT_EQ(call.Result(q.argument), q.value) << q.action;
    }
    ServerCall update("GetSystemUpdateID", "GetSystemUpdateID.xml");
    ASSERT_TRUE(service.Dispatch(update.get()));
    EXPECT_EQ(update.Result("Id"), std::to_string(before + 2));
}
