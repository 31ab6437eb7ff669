#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "content/ChildList.h"

namespace {

struct Child {
    int value;
};

std::vector<int> Visit(const ChildList<Child>& list, size_t position, size_t count) {
    std::vector<int> seen;
    const size_t visited =
        list.ForEach(position, count, [&](const Child& child) { seen.push_back(child.value); });
    EXPECT_EQ(visited, seen.size());
    return seen;
}

}  // namespace

// Against a plain vector: appends, removals (enough to compact many
// times) and pages at random positions.
TEST(ChildList, KeepsOrderAndPositionsThroughRemovalsLikeAVector) {
    std::mt19937 random(7);
    ChildList<Child> list;
    std::vector<std::pair<ChildList<Child>::Handle, int>> model;
    int next_value = 0;
    for (int step = 0; step < 40000; ++step) {
        // Phases that grow and phases that shrink the list.
        const bool growing = (step / 5000) % 2 == 0;
        const int roll = std::uniform_int_distribution<int>(0, 9)(random);
        if (model.empty() || (growing ? roll < 7 : roll < 2)) {
            const int value = next_value++;
            model.emplace_back(list.Append(std::make_unique<Child>(Child{value})), value);
        } else {
            const size_t at = std::uniform_int_distribution<size_t>(0, model.size() - 1)(random);
            auto removed = list.Remove(model[at].first);
            ASSERT_TRUE(removed);
            EXPECT_EQ(removed->value, model[at].second);
            EXPECT_EQ(list.Remove(model[at].first), nullptr);  // only once
            model.erase(model.begin() + static_cast<long>(at));
        }
        ASSERT_EQ(list.Size(), model.size());
        if (step % 97 == 0) {
            const size_t position =
                std::uniform_int_distribution<size_t>(0, model.size() + 2)(random);
            const size_t count = std::uniform_int_distribution<size_t>(0, 40)(random);
            std::vector<int> expected;
            for (size_t i = position; i < model.size() && expected.size() < count; ++i)
                expected.push_back(model[i].second);
            ASSERT_EQ(Visit(list, position, count), expected) << "step " << step;
        }
    }
    std::vector<int> all;
    for (const auto& entry : model) all.push_back(entry.second);
    EXPECT_EQ(Visit(list, 0, model.size() + 1), all);
}

TEST(ChildList, AHandleItNeverGaveRemovesNothing) {
    ChildList<Child> list;
    const auto handle = list.Append(std::make_unique<Child>(Child{1}));
    EXPECT_EQ(list.Remove(handle + 1), nullptr);
    EXPECT_EQ(list.Size(), 1u);
    EXPECT_TRUE(Visit(list, 1, 5).empty());
    EXPECT_TRUE(Visit(list, 0, 0).empty());
}
