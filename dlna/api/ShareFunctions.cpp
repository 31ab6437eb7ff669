// The server family's share functions: thin wrappers over the share tree,
// which needs no server device and outlives DLNA_Finalize.
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "DLNA.h"
#include "api/DLNAContext.h"
#include "common/ApiGuard.h"
#include "content/ShareTree.h"

extern "C" {

int DLNA_DMS_AddShareObject(const char* path, const DLNA_SHARE_OBJECT* object) {
    return Guarded("DLNA_DMS_AddShareObject", static_cast<int>(DLNA_E_FAILED), [&] {
        if (!path || !object || !object->mime_type) {
            LogLine(DlnaLog(), LogLevel::Warning) << "DLNA_DMS_AddShareObject: NULL argument";
            return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        }
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            LogLine(DlnaLog(), LogLevel::Warning)
                << "DLNA_DMS_AddShareObject: not a regular file: " << path;
            return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        }
        return DLNAContext::Shares().AddFile(path, *object);
    });
}

int DLNA_DMS_RemoveShareObject(const char* path) {
    return Guarded("DLNA_DMS_RemoveShareObject", static_cast<int>(DLNA_E_FAILED), [&] {
        if (!path) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        return DLNAContext::Shares().RemoveFile(path);
    });
}

int DLNA_DMS_Browse(const char* path, DLNA_CONTENT_ELEMENT** elements, int32_t* count) {
    return Guarded("DLNA_DMS_Browse", static_cast<int>(DLNA_E_FAILED), [&] {
        if (elements) *elements = nullptr;
        if (count) *count = 0;
        if (!path || !elements || !count) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        const auto item = DLNAContext::Shares().FindByPath(path);
        if (!item) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        auto* array = static_cast<DLNA_CONTENT_ELEMENT*>(std::calloc(1, sizeof **elements));
        if (!array) throw std::bad_alloc();
        try {
            item->ToElement(array);
        } catch (...) {
            std::free(array);
            throw;
        }
        *elements = array;
        *count = 1;
        return static_cast<int>(DLNA_OK);
    });
}

}  // extern "C"
