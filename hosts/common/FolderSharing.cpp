#include "FolderSharing.h"

#include <filesystem>
#include <system_error>

#include "DLNA.h"
#include "MediaTypes.h"

namespace fs = std::filesystem;

namespace sharing {

int ShareFile(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return -1;
    const std::string mime = MimeTypeFor(fs::path(path).filename().string());
    if (mime.empty()) return -1;
    const auto size = fs::file_size(path, ec);
    if (ec) return -1;
    DLNA_SHARE_OBJECT object{mime.c_str(), static_cast<uint64_t>(size), 0};
    return DLNA_DMS_AddShareObject(path.c_str(), &object);
}

int UnshareFile(const std::string& path) { return DLNA_DMS_RemoveShareObject(path.c_str()); }

bool ForEachFile(const std::string& folder, bool recursive, const FileVisitor& visit) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return false;
    const auto options = fs::directory_options::skip_permission_denied;
    auto walk = [&](auto it) {
        if (ec) return false;
        for (decltype(it) end; it != end; it.increment(ec)) {
            if (ec) break;
            if (it->is_directory(ec)) continue;
            if (!visit(*it)) break;
        }
        return true;
    };
    return recursive ? walk(fs::recursive_directory_iterator(folder, options, ec))
                     : walk(fs::directory_iterator(folder, options, ec));
}

bool ShareFolder(const std::string& folder, bool recursive, FolderShareCount* count,
                 const ShareProgress& progress) {
    FolderShareCount local;
    FolderShareCount& tally = count ? *count : local;
    return ForEachFile(folder, recursive, [&](const fs::directory_entry& entry) {
        std::error_code entry_ec;
        if (!entry.is_regular_file(entry_ec) ||
            MimeTypeFor(entry.path().filename().string()).empty()) {
            ++tally.skipped;
            return true;
        }
        const std::string path = entry.path().string();
        const int result = ShareFile(path);
        if (result == 0)
            ++tally.shared;
        else
            ++tally.failed;
        return !progress || progress(path, result);
    });
}

}  // namespace sharing
