#include <gtest/gtest.h>

#include <vector>

#include "content/IdAllocator.h"

namespace {

// The allocator exactly as designed: scan from the cursor every time.
class NaiveIdAllocator {
public:
    uint64_t Allocate() {
        size_t id = cursor_;
        while (used_[id]) ++id;
        used_[id] = true;
        cursor_ = id + 1;
        if (cursor_ == used_.size()) {
            used_.resize(used_.size() * 2);
            cursor_ = 0;
        }
        return id;
    }
    size_t Capacity() const { return used_.size(); }

private:
    std::vector<bool> used_ = std::vector<bool>(8);
    size_t cursor_ = 0;
};

}  // namespace

TEST(IdAllocator, HandsOutTheSameIdsAndGrowsLikeTheNaiveScan) {
    IdAllocator ids;
    NaiveIdAllocator naive;
    for (int n = 0; n < 300000; ++n) {
        ASSERT_EQ(ids.Allocate(), naive.Allocate()) << "allocation " << n;
        ASSERT_EQ(ids.Capacity(), naive.Capacity()) << "allocation " << n;
    }
}

TEST(IdAllocator, GrowsFromEightToSixteenBitsWhenTheEighthIdIsTaken) {
    IdAllocator ids;
    for (uint64_t expected = 0; expected <= 6; ++expected) EXPECT_EQ(ids.Allocate(), expected);
    EXPECT_EQ(ids.Capacity(), 8u);
    EXPECT_EQ(ids.Allocate(), 7u);
    EXPECT_EQ(ids.Capacity(), 16u);
    EXPECT_EQ(ids.Allocate(), 8u);
}
