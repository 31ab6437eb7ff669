#include "content/IdAllocator.h"

#include <algorithm>

uint64_t IdAllocator::Allocate() {
    size_t id = std::max(cursor_, lowest_free_);
    while (id < used_.size() && used_[id]) ++id;
    // Unreachable while ids are never freed (the bits from the cursor on
    // are free); growing keeps it total anyway.
    if (id == used_.size()) used_.resize(used_.size() * 2);
    used_[id] = true;
    if (id == lowest_free_)
        while (lowest_free_ < used_.size() && used_[lowest_free_]) ++lowest_free_;
    cursor_ = id + 1;
    if (cursor_ == used_.size()) {
        used_.resize(used_.size() * 2);
        cursor_ = 0;
    }
    return id;
}
