#include "content/ContentElement.h"

#include <cstdlib>
#include <cstring>

#include "common/CString.h"

void ClearContentElement(DLNA_CONTENT_ELEMENT& element) {
    if (element.type == DLNA_CONTENT_CONTAINER) {
        auto& container = element.element.container;
        for (char** text : {&container.id, &container.parent_id, &container.title, &container.didl})
            FreeString(*text);
    } else if (element.type == DLNA_CONTENT_ITEM) {
        auto& item = element.element.item;
        for (char** text : {&item.id, &item.parent_id, &item.title, &item.didl}) FreeString(*text);
        for (int32_t i = 0; item.res && i < item.res_count; ++i) {
            DLNA_CONTENT_RESOURCE& res = item.res[i];
            FreeString(res.uri);
            FreeString(res.protocol_info.protocol);
            FreeString(res.protocol_info.network);
            FreeString(res.protocol_info.content_format);
            FreeString(res.protocol_info.additional_info);
        }
        std::free(item.res);
        item.res = nullptr;
        item.res_count = 0;
    }
}
