#pragma once
// The properties Search and SortCriteria name, and an object's values of
// them, as its DIDL-Lite fragment writes them.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "content/ShareObject.h"

enum class ObjectProperty : uint8_t {
    kId,
    kRefId,
    kClass,
    kTitle,
    kCreator,
    kArtist,
    kAlbum,
    kGenre,
    kDate,
    kOriginalTrackNumber,
    kProtocolInfo,
    kSize,
    kUnknown,  // a name not listed here: no object has a value of it
};

ObjectProperty PropertyNamed(std::string_view name);
// Compared as numbers rather than text.
bool IsNumeric(ObjectProperty property);
// Text compares without regard to ASCII case, as MiniDLNA's and Gerbera's
// searches do: both sides are folded to lower case.
char FoldCase(char c);
std::string FoldCase(std::string_view text);

// Calls visit(std::string_view) with each value the object has (the res@
// ones once per resource) until it returns true; true when one did. Tags
// have values once a reader has filled them in.
template <class Visit>
bool AnyValue(const ShareObject& object, ObjectProperty property, Visit&& visit) {
    switch (property) {
    case ObjectProperty::kId:
        return visit(std::string_view(object.Id()));
    case ObjectProperty::kClass:
        return visit(std::string_view(object.Class()));
    case ObjectProperty::kTitle:
        return visit(std::string_view(object.Title()));
    case ObjectProperty::kRefId:
        return !object.RefId().empty() && visit(std::string_view(object.RefId()));
    case ObjectProperty::kCreator:
    case ObjectProperty::kArtist:
    case ObjectProperty::kAlbum:
    case ObjectProperty::kGenre:
    case ObjectProperty::kDate:
    case ObjectProperty::kOriginalTrackNumber: {
        const auto* item = dynamic_cast<const ShareItem*>(&object);
        const PackedTags* tags = item ? item->Tags() : nullptr;
        if (!tags) return false;
        if (property == ObjectProperty::kOriginalTrackNumber) {
            if (!tags->Track()) return false;
            char digits[12];
            const auto end = std::to_chars(digits, digits + sizeof digits, tags->Track()).ptr;
            return visit(std::string_view(digits, static_cast<size_t>(end - digits)));
        }
        const std::string_view value = property == ObjectProperty::kAlbum   ? tags->Album()
                                       : property == ObjectProperty::kGenre ? tags->Genre()
                                       : property == ObjectProperty::kDate  ? tags->Date()
                                                                            : tags->Artist();
        return !value.empty() && visit(value);
    }
    case ObjectProperty::kProtocolInfo:
    case ObjectProperty::kSize: {
        const auto* item = dynamic_cast<const ShareItem*>(&object);
        if (!item) return false;
        for (const auto& resource : item->Resources()) {
            if (property == ObjectProperty::kProtocolInfo) {
                if (visit(std::string_view(resource->Info().ToString()))) return true;
                continue;
            }
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, resource->Size()).ptr;
            if (visit(std::string_view(digits, static_cast<size_t>(end - digits)))) return true;
        }
        return false;
    }
    default:
        return false;
    }
}
