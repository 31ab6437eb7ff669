#include "content/ObjectProperty.h"

#include <utility>

ObjectProperty PropertyNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, ObjectProperty> kNames[] = {
        {"@id", ObjectProperty::kId},
        {"@refID", ObjectProperty::kRefId},
        {"upnp:class", ObjectProperty::kClass},
        {"dc:title", ObjectProperty::kTitle},
        {"dc:creator", ObjectProperty::kCreator},
        {"upnp:artist", ObjectProperty::kArtist},
        {"upnp:album", ObjectProperty::kAlbum},
        {"upnp:genre", ObjectProperty::kGenre},
        {"dc:date", ObjectProperty::kDate},
        {"upnp:originalTrackNumber", ObjectProperty::kOriginalTrackNumber},
        {"res@protocolInfo", ObjectProperty::kProtocolInfo},
        {"res@size", ObjectProperty::kSize},
    };
    for (const auto& [text, property] : kNames)
        if (text == name) return property;
    return ObjectProperty::kUnknown;
}

bool IsNumeric(ObjectProperty property) {
    return property == ObjectProperty::kSize || property == ObjectProperty::kOriginalTrackNumber;
}

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = FoldCase(c);
    return folded;
}
