#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>

// Keeps the share in step with folders through inotify: a file that appears
// (written and closed, or moved in) is shared, one that is deleted or moved
// away is no longer. A folder watched `recursive` has its sub-folders (also
// new ones) followed too.
class FolderWatcher {
public:
    FolderWatcher();
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Starts watching `folder` (absolute). False with `error` when it cannot.
    bool Watch(const std::string& folder, bool recursive, std::string* error);
    // A file the first walk shared: its events are not taken for new files.
    void NoteShared(const std::string& path);
    // Follows the folders until `stop_fd` becomes readable.
    void Run(int stop_fd);

private:
    void AddWatch(const std::string& directory, bool recursive);
    // Whether `directory` lies in (or is) a folder watched recursively.
    bool Recursive(const std::string& directory) const;
    void HandleEvent(int wd, uint32_t mask, const std::string& name);
    void FileAppeared(const std::string& path);
    void FileGone(const std::string& path);
    // A new or moved-in sub-folder: watched, and its files shared.
    void FolderAppeared(const std::string& path);
    void FolderGone(const std::string& path);
    // After a queue overflow: share what is new, drop what is gone.
    void Rescan();

    int fd_;
    std::map<std::string, bool> roots_;  // folder -> recursive
    std::map<int, std::string> directories_;  // watch descriptor -> folder
    std::set<std::string> shared_;
};
