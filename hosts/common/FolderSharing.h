#pragma once
// Shares the files of a folder through the library's server: one
// DLNA_DMS_AddShareObject per file whose type MimeTypeFor knows, with the
// file's size and no duration.
#include <cstddef>
#include <functional>
#include <string>

namespace sharing {

struct FolderShareCount {
    size_t shared = 0;   // added to the share tree
    size_t skipped = 0;  // no MIME type, or not a regular file
    size_t failed = 0;   // the library refused it
};

// Called after each file the library was asked to share, with its result;
// returning false stops the walk.
using ShareProgress = std::function<bool(const std::string& path, int result)>;

// Walks `folder` in the order the file system lists it; `recursive` also
// descends into sub-folders (symbolic links to folders are not followed).
// Unreadable entries are skipped, never fatal. False when `folder` is not a
// readable directory.
bool ShareFolder(const std::string& folder, bool recursive, FolderShareCount* count,
                 const ShareProgress& progress = {});

// Shares one file; the library's result, or -1 when it has no MIME type or
// is not a regular file.
int ShareFile(const std::string& path);

}  // namespace sharing
