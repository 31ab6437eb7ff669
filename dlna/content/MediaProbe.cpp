#include "content/MediaProbe.h"
std::optional<MediaInfo> ProbeMedia(const std::string&, std::string_view, std::string* error) {
    if (error) *error = "stub";
    return std::nullopt;
}
std::string MakeThumbnail(const std::string&, std::string*) { return {}; }
