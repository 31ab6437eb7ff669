#include "content/SortCriteria.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// What kCapabilities names.
constexpr ObjectProperty kSortable[] = {
    ObjectProperty::kTitle, ObjectProperty::kCreator, ObjectProperty::kDate,
    ObjectProperty::kClass, ObjectProperty::kAlbum,   ObjectProperty::kOriginalTrackNumber,
};

// One object's value of one field, taken once before sorting.
struct Value {
    bool present = false;
    uint64_t number = 0;
    std::string text;  // folded to lower case

    int Compare(const Value& other) const {
        if (present != other.present) return present ? 1 : -1;
        if (number != other.number) return number < other.number ? -1 : 1;
        return text.compare(other.text);
    }
};

}  // namespace

std::optional<SortCriteria> SortCriteria::Parse(std::string_view text) {
    SortCriteria criteria;
    if (Trimmed(text).empty()) return criteria;
    while (true) {
        const size_t comma = text.find(',');
        std::string_view field = Trimmed(text.substr(0, comma));
        bool descending = false;
        if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
            descending = field.front() == '-';
            field.remove_prefix(1);
        }
        const ObjectProperty property = PropertyNamed(field);
        if (std::find(std::begin(kSortable), std::end(kSortable), property) ==
            std::end(kSortable))
            return std::nullopt;
        criteria.keys_.push_back({property, descending});
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return criteria;
}

void SortCriteria::Sort(std::vector<const ShareObject*>& objects) const {
    if (keys_.empty()) return;
    struct Entry {
        const ShareObject* object;
        std::vector<Value> values;
    };
    std::vector<Entry> entries;
    entries.reserve(objects.size());
    for (const ShareObject* object : objects) {
        Entry entry{object, std::vector<Value>(keys_.size())};
        for (size_t k = 0; k < keys_.size(); ++k) {
            Value& value = entry.values[k];
            AnyValue(*object, keys_[k].property, [&](std::string_view text) {
                value.present = true;
                if (IsNumeric(keys_[k].property))
                    std::from_chars(text.data(), text.data() + text.size(), value.number);
                else
                    value.text = FoldCase(text);
                return true;
            });
        }
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        for (size_t k = 0; k < keys_.size(); ++k) {
            const int order = a.values[k].Compare(b.values[k]);
            if (order != 0) return keys_[k].descending ? order > 0 : order < 0;
        }
        return false;
    });
    for (size_t i = 0; i < entries.size(); ++i) objects[i] = entries[i].object;
}
