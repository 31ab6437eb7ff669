#pragma once
// A Browse or Search request's SortCriteria: "+dc:title,-dc:date", fields
// compared in turn, "+" (or no sign) ascending, "-" descending. Text
// compares without regard to ASCII case, upnp:originalTrackNumber as a
// number. An object without a value sorts before those with one when
// ascending, after them when descending. The sort is stable: ties, and an
// empty criteria, keep tree order.
#include <optional>
#include <string_view>
#include <vector>

#include "content/ObjectProperty.h"

class ShareObject;

class SortCriteria {
public:
    // The fields it sorts by, for GetSortCapabilities.
    static constexpr const char* kCapabilities =
        "dc:title,dc:creator,dc:date,upnp:class,upnp:album,upnp:originalTrackNumber";

    // nullopt for a field not in kCapabilities, or text that is no list of
    // fields.
    static std::optional<SortCriteria> Parse(std::string_view text);

    bool Empty() const { return keys_.empty(); }
    void Sort(std::vector<const ShareObject*>& objects) const;

private:
    struct Key {
        ObjectProperty property;
        bool descending;
    };
    std::vector<Key> keys_;
};
