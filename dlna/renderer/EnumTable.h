#pragma once
// A fixed two-way table between an enumeration and its text forms. Both
// lookups search the entries, so a value a host stored outside the table
// finds nothing instead of indexing past the end.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

template <class E, std::size_t N>
class EnumTable {
public:
    using Entry = std::pair<E, std::string_view>;

    constexpr explicit EnumTable(const std::array<Entry, N>& entries) : entries_(entries) {}

    constexpr std::optional<std::string_view> Text(E value) const {
        for (const auto& [entry_value, text] : entries_)
            if (entry_value == value) return text;
        return std::nullopt;
    }
    // Exact, case-sensitive comparison of the whole text.
    constexpr std::optional<E> Value(std::string_view text) const {
        for (const auto& [value, entry_text] : entries_)
            if (entry_text == text) return value;
        return std::nullopt;
    }
    constexpr const std::array<Entry, N>& Entries() const { return entries_; }

private:
    std::array<Entry, N> entries_;
};

template <class E, std::size_t N>
constexpr EnumTable<E, N> MakeEnumTable(const std::pair<E, std::string_view> (&entries)[N]) {
    return EnumTable<E, N>(std::to_array(entries));
}
