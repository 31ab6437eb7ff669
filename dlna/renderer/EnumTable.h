#pragma once
// A fixed two-way table between an enumeration and its text forms. Both
// lookups search the entries, so a value a host stored outside the table
// finds nothing instead of indexing past the end.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

// An enumeration field as a host stored it. C lets a host put any 32-bit
// value in an enum field; C++ may not even load one outside the
// enumeration's range, so the value is kept as its integer.
template <class E>
struct EnumValue {
    static_assert(sizeof(E) == sizeof(int32_t));
    using Enum = E;

    constexpr EnumValue() = default;
    constexpr EnumValue(E value) : raw(static_cast<int32_t>(value)) {}

    friend constexpr bool operator==(EnumValue, EnumValue) = default;
    friend constexpr bool operator==(EnumValue a, E b) { return a.raw == static_cast<int32_t>(b); }

    int32_t raw = 0;
};

template <class E, std::size_t N>
class EnumTable {
public:
    using Entry = std::pair<E, std::string_view>;

    constexpr explicit EnumTable(const std::array<Entry, N>& entries) : entries_(entries) {}

    constexpr std::optional<std::string_view> Text(EnumValue<E> value) const {
        for (const auto& [entry_value, text] : entries_)
            if (value == entry_value) return text;
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
