#include "DidlLite.h"

#include "ShareObject.h"

std::string DidlDocument(const ShareObject& object, std::string_view url_base) {
    std::string text(kDidlHeader);
    object.ToXml(text, url_base);
    text += kDidlFooter;
    return text;
}
