// ContentDirectory over the share tree: Browse paging and flags on a tree of
// a few items, and the fixed queries. Requests are fixtures; the object a
// row browses is set into the fixture's ObjectID.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "ContentDirectoryService.h"
#include "DLNA.h"
#include "DeviceTypes.h"
#include "ServerTestSupport.h"

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
        ASSERT_EQ(service.Actions().size(), 4u);
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

    std::unique_ptr<ServerCall> Browse(const std::string& fixture, const std::string& object) {
        IXML_Document* body = ixmlLoadDocument(ServerData("requests/" + fixture).c_str());
        EXPECT_NE(body, nullptr) << fixture;
        xml::SetText(body, xml::ElementsByTag(body, "ObjectID").front(), object);
        auto call = std::make_unique<ServerCall>("Browse", body, "198.51.100.1");
        EXPECT_TRUE(service.Dispatch(call->get()));
        return call;
    }

    static inline fs::path folder_;
    ContentDirectoryService service{
        {kContentDirectoryType, "urn:upnp-org:serviceId:ContentDirectory", "", "", ""}};
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
        {"Browse_children.xml", "0", {"1", "2", "3"}, {}, "3", "3"},
        {"Browse_children_from1_count1.xml", "0", {"2"}, {}, "1", "3"},
        // Any flag but BrowseMetadata lists the children.
        {"Browse_other_flag.xml", "0", {"1", "2", "3"}, {}, "3", "3"},
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
        EXPECT_EQ(call->Result("UpdateID"), "0");
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

TEST_F(ContentDirectory, FixedQueriesAnswerTheirValuesAndSearchIsNotOffered) {
    const struct {
        const char* action;
        const char* argument;
        const char* value;
    } queries[] = {
        {"GetSearchCapabilities", "SearchCaps",
         "dc:title,dc:creator,dc:date,res@protocolInfo,res@size"},
        {"GetSortCapabilities", "SortCaps", "dc:title,dc:creator,upnp:class"},
        {"GetSystemUpdateID", "Id", "0"},
    };
    ASSERT_EQ(DLNA_DMS_RemoveShareObject((folder_ / "p.jpg").c_str()), 0);
    DLNA_SHARE_OBJECT object{"image/jpeg", 5, 0};
    ASSERT_EQ(DLNA_DMS_AddShareObject((folder_ / "p.jpg").c_str(), &object), 0);
    for (const auto& q : queries) {
        ServerCall call(q.action, std::string(q.action) + ".xml");
        ASSERT_TRUE(service.Dispatch(call.get())) << q.action;
        EXPECT_EQ(call.Result(q.argument), q.value) << q.action;
    }
    ServerCall search("Search", "Search.xml");
    EXPECT_FALSE(service.Dispatch(search.get()));
}
