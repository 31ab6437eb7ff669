#include "renderer/UriMetadata.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "content/DidlLite.h"
#include "content/ShareObject.h"

ContentElementPtr MetadataElement(const std::string& didl) {
    // Most control points send no metadata at all: nothing to read or warn of.
    if (didl.empty()) return nullptr;
    std::vector<std::shared_ptr<ShareObject>> objects;
    // Containers come first: a first item means no container and an item.
    if (ParseShareObjects(didl, &objects) != 0 || objects.empty() ||
        std::strcmp(objects.front()->Class(), "object.item") != 0)
        return nullptr;
    // Released as DLNA_DMSC_FreeContentElement releases an array of one.
    auto* element =
        static_cast<DLNA_CONTENT_ELEMENT*>(std::calloc(1, sizeof(DLNA_CONTENT_ELEMENT)));
    if (!element) throw std::bad_alloc();
    ContentElementPtr owned(element);
    objects.front()->ToElement(element);
    return owned;
}

void ContentElementDeleter::operator()(DLNA_CONTENT_ELEMENT* element) const {
    DLNA_DMSC_FreeContentElement(element, 1);
}
