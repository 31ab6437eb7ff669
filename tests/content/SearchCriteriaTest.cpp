// Search criteria: which of a few objects each criteria matches, and the
// texts that are no criteria at all (answered with 708).
#include <gtest/gtest.h>

#include "content/SearchCriteria.h"
#include "content/ShareObject.h"

namespace {

std::unique_ptr<ShareItem> Item(const char* id, const char* title, const char* mime,
                                uint64_t size) {
    auto item = std::make_unique<ShareItem>(id, "2", title);
    auto info = std::make_shared<const ProtocolInfo>(ProtocolInfo{"http-get", "*", mime, "*"});
    item->AddResource(std::make_unique<ShareResource>("/f", "/share/f", size, info));
    return item;
}

class SearchCriteriaTest : public testing::Test {
protected:
    SearchCriteriaTest() {
        objects.push_back(std::make_unique<ShareContainer>("2", "0", "音乐"));
        objects.push_back(Item("4", "Song.MP3", "audio/mpeg", 900));
        objects.push_back(Item("5", "clip.mp4", "video/mp4", 5000));
        objects.push_back(Item("6", R"(say "hi" \ bye.jpg)", "image/jpeg", 20));
    }

    std::vector<std::string> Matching(const SearchCriteria& criteria) const {
        std::vector<std::string> ids;
        for (const auto& object : objects)
            if (criteria.Matches(*object)) ids.push_back(object->Id());
        return ids;
    }

    std::vector<std::unique_ptr<ShareObject>> objects;
};

using Ids = std::vector<std::string>;
const Ids kAll{"2", "4", "5", "6"};

}  // namespace

TEST_F(SearchCriteriaTest, CriteriaMatchTheirObjects) {
    const struct {
        const char* criteria;
        Ids ids;
    } rows[] = {
        {"*", kAll},
        {" * ", kAll},
        {R"(upnp:class derivedfrom "object.item")", {"4", "5", "6"}},
        {R"(upnp:class derivedfrom "object.container")", {"2"}},
        // On a dot boundary only.
        {R"(upnp:class derivedfrom "object.it")", {}},
        {R"(upnp:class = "OBJECT.ITEM")", {"4", "5", "6"}},
        {R"(dc:title contains "song")", {"4"}},
        {R"(dc:title doesNotContain "SONG")", {"2", "5", "6"}},
        {R"(dc:title = "clip.mp4")", {"5"}},
        {R"(dc:title != "clip.mp4")", {"2", "4", "6"}},
        {R"(dc:title < "d")", {"5"}},
        {R"(dc:title >= "say")", {"2", "4", "6"}},
        {R"(dc:title contains "\"hi\" \\ ")", {"6"}},
        {R"(res@size > "899")", {"4", "5"}},
        {R"(res@size >= "5000")", {"5"}},
        {R"(res@size < "900")", {"6"}},
        {R"(res@size <= "900")", {"4", "6"}},
        {R"(res@size = "20")", {"6"}},
        {R"(res@size exists true)", {"4", "5", "6"}},
        {R"(res@protocolInfo contains "audio/")", {"4"}},
        {R"(@id = "5")", {"5"}},
        {R"(@refID exists true)", {}},
        {R"(@refID exists false)", kAll},
        // Metadata the tree does not keep, and unknown properties: no value.
        {R"(upnp:artist exists false)", kAll},
        {R"(upnp:album contains "")", {}},
        {R"(upnp:genre doesNotContain "x")", {}},
        {R"(dc:creator != "x")", {}},
        {R"(upnp:rating exists FALSE)", kAll},
        // "and" binds tighter than "or".
        {R"(@id = "4" or @id = "5" and dc:title contains "song")", {"4"}},
        {R"((@id = "4" or @id = "5") and dc:title contains "clip")", {"5"}},
        {"\t(upnp:class=\"object.item\")and(res@size>\"899\")\n", {"4", "5"}},
        {R"(@id = "4" OR @id = "6")", {"4", "6"}},
        {R"(((@id = "2")))", {"2"}},
    };
    for (const auto& row : rows) {
        const auto criteria = SearchCriteria::Parse(row.criteria);
        ASSERT_TRUE(criteria) << row.criteria;
        EXPECT_EQ(Matching(*criteria), row.ids) << row.criteria;
    }
}

TEST_F(SearchCriteriaTest, TextThatIsNoCriteriaIsRefused) {
    const std::string deep = std::string(40, '(') + R"(@id = "1")" + std::string(40, ')');
    for (const std::string& text : std::vector<std::string>{
             "", "  ", "dc:title", "dc:title =", "dc:title = song", R"(dc:title = "open)",
             R"(dc:title = "a\nb")", R"((dc:title = "a")", R"(dc:title = "a"))",
             R"(dc:title = "a" and)", R"(dc:title = "a" xor @id = "1")", R"(title = "a")",
             R"(dc:title like "a")", "dc:title exists maybe", R"(res@size > "big")",
             R"(* and dc:title = "a")", R"(dc:title ! "a")", R"(dc: = "a")", deep})
        EXPECT_FALSE(SearchCriteria::Parse(text)) << text;
}
