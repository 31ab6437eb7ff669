#pragma once
// Object ids: positions in a growable bit vector of used ids (8 bits at
// first) with a cursor. Take the first free bit from the cursor, move the
// cursor past it, and when the cursor reaches the end double the vector and
// send the cursor back to 0. Ids are never freed, so none is ever reused.
//
// After each doubling the cursor would rescan every used bit from 0. Since
// no bit is ever freed, the bits below the lowest free one stay used: the
// scan starts at that point instead, which hands out the same ids in O(1)
// amortised.
#include <cstddef>
#include <cstdint>
#include <vector>

class IdAllocator {
public:
    uint64_t Allocate();
    // Bits in the vector.
    size_t Capacity() const { return used_.size(); }

private:
    std::vector<bool> used_ = std::vector<bool>(8);
    size_t cursor_ = 0;
    size_t lowest_free_ = 0;  // every bit below is used
};
