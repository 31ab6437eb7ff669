#include "UriMetadata.h"

#include <cstdlib>

// The DIDL-Lite reader belongs to the content model, which has not landed
// yet: until it does, no metadata is read and the event carries no element.
ContentElementPtr MetadataElement(const std::string&) {
    return nullptr;
}

void ContentElementDeleter::operator()(DLNA_CONTENT_ELEMENT* element) const {
    std::free(element);
}
