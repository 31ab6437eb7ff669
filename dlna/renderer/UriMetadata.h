#pragma once
#include <memory>
#include <string>

#include "DLNA.h"

struct ContentElementDeleter {
    void operator()(DLNA_CONTENT_ELEMENT* element) const;
};
using ContentElementPtr = std::unique_ptr<DLNA_CONTENT_ELEMENT, ContentElementDeleter>;

// The item that a URI's DIDL-Lite metadata describes, for the host's URI
// event; empty when the metadata is not DIDL-Lite, holds a container, or
// holds no item.
ContentElementPtr MetadataElement(const std::string& didl);
