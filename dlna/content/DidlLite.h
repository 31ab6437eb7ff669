#pragma once
// DIDL-Lite documents: the frame written around object fragments.
#include <string>
#include <string_view>

class ShareObject;

inline constexpr std::string_view kDidlHeader =
    "<DIDL-Lite xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
    " xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\""
    " xmlns:dlna=\"urn:schemas-dlna-org:metadata-1-0/\">";
inline constexpr std::string_view kDidlFooter = "</DIDL-Lite>";

// Header, the object's fragment, footer.
std::string DidlDocument(const ShareObject& object, std::string_view url_base = {});
