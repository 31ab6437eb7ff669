#pragma once
// DIDL-Lite documents: the frame written around object fragments, and the
// reader that turns a received document back into objects.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ShareObject;

inline constexpr std::string_view kDidlHeader =
    "<DIDL-Lite xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
    " xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\""
    " xmlns:dlna=\"urn:schemas-dlna-org:metadata-1-0/\">";
inline constexpr std::string_view kDidlFooter = "</DIDL-Lite>";

// Header, the object's fragment, footer.
std::string DidlDocument(const ShareObject& object, std::string_view url_base = {});

// Appends to `objects` every container of the document, then every item,
// each in document order (nesting is flattened; parents survive as parent
// ids). 0, or -107 for an empty or malformed document, `objects` unchanged.
// What it does not know it logs at WARNING and skips.
int ParseShareObjects(const std::string& didl, std::vector<std::shared_ptr<ShareObject>>* objects);
