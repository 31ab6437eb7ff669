// Sort criteria: the orders a few objects take, and the texts refused (709).
#include <gtest/gtest.h>

#include "content/ShareObject.h"
#include "content/SortCriteria.h"

TEST(SortCriteria, OrdersObjectsStably) {
    const ShareItem b("4", "2", "b"), a("5", "2", "A"), c("6", "2", "c");
    const ShareContainer z("7", "2", "Z");
    const struct {
        const char* sort;
        std::vector<std::string> ids;
    } rows[] = {
        {"", {"4", "5", "6", "7"}},
        {"+dc:title", {"5", "4", "6", "7"}},
        {"dc:title", {"5", "4", "6", "7"}},
        {"-dc:title", {"7", "6", "4", "5"}},
        {"+upnp:class,-dc:title", {"7", "6", "4", "5"}},
        // Nothing has a creator: ties keep tree order.
        {"+dc:creator", {"4", "5", "6", "7"}},
        {" -upnp:originalTrackNumber , +dc:title ", {"5", "4", "6", "7"}},
    };
    for (const auto& row : rows) {
        const auto sort = SortCriteria::Parse(row.sort);
        ASSERT_TRUE(sort) << row.sort;
        std::vector<const ShareObject*> objects{&b, &a, &c, &z};
        sort->Sort(objects);
        std::vector<std::string> ids;
        for (const ShareObject* object : objects) ids.push_back(object->Id());
        EXPECT_EQ(ids, row.ids) << row.sort;
    }
    for (const char* text : {"+res@size", "@id", "dc:title,", "+", "dc:titles", "++dc:title"})
        EXPECT_FALSE(SortCriteria::Parse(text)) << text;
}
