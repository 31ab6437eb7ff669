#pragma once
// Shares the files of a folder through the library's server: one
// DLNA_DMS_AddShareObject per file whose type MimeTypeFor knows, with the
// file's size and no duration.
#include <cstddef>
#include <filesystem>
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

// Calls `visit` for each entry of `folder` that is not itself a folder, in
// the order the file system lists them; `recursive` also descends into
// sub-folders (symbolic links to folders are not followed). Unreadable
// entries are skipped. `visit` returning false stops the walk. False when
// `folder` is not a readable directory.
using FileVisitor = std::function<bool(const std::filesystem::directory_entry& entry)>;
bool ForEachFile(const std::string& folder, bool recursive, const FileVisitor& visit);

// Shares each file ForEachFile finds, in its order. False when `folder` is
// not a readable directory.
bool ShareFolder(const std::string& folder, bool recursive, FolderShareCount* count,
                 const ShareProgress& progress = {});

// Shares one file; the library's result, or -1 when it has no MIME type or
// is not a regular file.
int ShareFile(const std::string& path);

// Stops sharing a file, also one that is gone from the disk; the library's
// result.
int UnshareFile(const std::string& path);

}  // namespace sharing
