#pragma once
// A container's children: an ordered list that owns its elements, with
// removal of any one and access by position both in O(log n). A category
// may hold 100,000 items, and shifting a vector that large on every removal
// costs more than a lookup is allowed to take.
//
// Removal leaves an empty slot; a Fenwick tree over the slots counts the
// live ones, so the k-th child is found by descending it. Slots are
// compacted once the empty ones pass a quarter of the live ones, which keeps
// every scan short and costs O(1) per removal, amortised.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

template <class T>
class ChildList {
public:
    // Names one child for Remove; handles only grow, so the slots' handles
    // stay sorted.
    using Handle = uint64_t;

    Handle Append(std::unique_ptr<T> child) {
        slots_.push_back(std::move(child));
        handles_.push_back(next_handle_);
        const size_t n = slots_.size();  // the new slot, 1-based
        // The new node covers (n - lowbit(n), n]: this slot and the ones
        // before it in that range.
        fenwick_.push_back(1 + Prefix(n - 1) - Prefix(n - (n & (~n + 1))));
        ++live_;
        return next_handle_++;
    }

    // The child taken out, or null when the handle names none.
    std::unique_ptr<T> Remove(Handle handle) {
        auto it = std::lower_bound(handles_.begin(), handles_.end(), handle);
        if (it == handles_.end() || *it != handle) return nullptr;
        const size_t slot = static_cast<size_t>(it - handles_.begin());
        if (!slots_[slot]) return nullptr;
        std::unique_ptr<T> child = std::move(slots_[slot]);
        for (size_t i = slot + 1; i <= fenwick_.size(); i += i & (~i + 1)) --fenwick_[i - 1];
        --live_;
        const size_t empty = slots_.size() - live_;
        if (empty > kMinCompaction && empty * 4 > live_) Compact();
        return child;
    }

    size_t Size() const { return live_; }

    // Calls visit(const T&) for at most `count` children from `position` on,
    // in order; returns how many it visited.
    template <class Visit>
    size_t ForEach(size_t position, size_t count, Visit&& visit) const {
        if (position >= live_ || count == 0) return 0;
        size_t visited = 0;
        for (size_t slot = SlotOf(position); slot < slots_.size() && visited < count; ++slot) {
            if (!slots_[slot]) continue;
            visit(*slots_[slot]);
            ++visited;
        }
        return visited;
    }

private:
    static constexpr size_t kMinCompaction = 64;

    // Live slots among the first `n`.
    size_t Prefix(size_t n) const {
        size_t sum = 0;
        for (; n > 0; n -= n & (~n + 1)) sum += fenwick_[n - 1];
        return sum;
    }

    // The slot of the live child at `position` (< live_).
    size_t SlotOf(size_t position) const {
        size_t node = 0;  // slots [0, node) hold `position` minus what is left
        for (size_t step = std::bit_floor(fenwick_.size()); step > 0; step >>= 1) {
            if (node + step <= fenwick_.size() && fenwick_[node + step - 1] <= position) {
                node += step;
                position -= fenwick_[node - 1];
            }
        }
        return node;
    }

    void Compact() {
        size_t kept = 0;
        for (size_t slot = 0; slot < slots_.size(); ++slot) {
            if (!slots_[slot]) continue;
            slots_[kept] = std::move(slots_[slot]);
            handles_[kept] = handles_[slot];
            ++kept;
        }
        slots_.resize(kept);
        handles_.resize(kept);
        // Every slot is live again: node i covers lowbit(i) slots.
        fenwick_.resize(kept);
        for (size_t i = 1; i <= kept; ++i) fenwick_[i - 1] = static_cast<uint32_t>(i & (~i + 1));
    }

    std::vector<std::unique_ptr<T>> slots_;
    std::vector<Handle> handles_;
    std::vector<uint32_t> fenwick_;  // 1-based nodes stored from index 0
    size_t live_ = 0;
    Handle next_handle_ = 0;
};
