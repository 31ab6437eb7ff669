#include "FolderWatcher.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "FolderSharing.h"
#include "MediaTypes.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE |
                                   IN_CREATE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool Below(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

void Report(const char* what, const std::string& path) {
    std::printf("dlna-server: %s %s\n", what, path.c_str());
    std::fflush(stdout);
}

}  // namespace

FolderWatcher::FolderWatcher() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatcher::~FolderWatcher() {
    if (fd_ >= 0) close(fd_);
}

bool FolderWatcher::Watch(const std::string& folder, bool recursive, std::string* error) {
    if (fd_ < 0 || inotify_add_watch(fd_, folder.c_str(), kFolderEvents) < 0) {
        *error = std::string("cannot watch ") + folder + ": " + std::strerror(errno) +
                 (errno == ENOSPC ? " (raise fs.inotify.max_user_watches)" : "");
        return false;
    }
    roots_[folder] = recursive;
    AddWatch(folder, recursive);
    return true;
}

bool FolderWatcher::Recursive(const std::string& directory) const {
    for (const auto& [root, recursive] : roots_)
        if (recursive && (directory == root || Below(directory, root))) return true;
    return false;
}

void FolderWatcher::AddWatch(const std::string& directory, bool recursive) {
    const int wd = inotify_add_watch(fd_, directory.c_str(), kFolderEvents);
    if (wd >= 0) directories_[wd] = directory;
    if (!recursive) return;
    std::error_code ec;
    fs::recursive_directory_iterator it(directory, fs::directory_options::skip_permission_denied,
                                        ec);
    for (decltype(it) end; !ec && it != end; it.increment(ec)) {
        if (!it->is_directory(ec) || it->is_symlink(ec)) continue;
        const std::string sub = it->path().string();
        if (const int sub_wd = inotify_add_watch(fd_, sub.c_str(), kFolderEvents); sub_wd >= 0)
            directories_[sub_wd] = sub;
    }
}

void FolderWatcher::NoteShared(const std::string& path) {
    shared_.insert(path);
}

void FolderWatcher::Run(int stop_fd) {
    // Big enough for many events at once; inotify never splits one.
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        pollfd fds[2] = {{stop_fd, POLLIN, 0}, {fd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        if (!(fds[1].revents & POLLIN)) continue;
        for (;;) {
            const ssize_t length = read(fd_, buffer, sizeof buffer);
            if (length <= 0) break;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                HandleEvent(event->wd, event->mask, event->len ? event->name : "");
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }
}

void FolderWatcher::HandleEvent(int wd, uint32_t mask, const std::string& name) {
    if (mask & IN_Q_OVERFLOW) {
        Rescan();
        return;
    }
    auto it = directories_.find(wd);
    if (it == directories_.end()) return;
    const std::string directory = it->second;
    if (mask & IN_IGNORED) {
        directories_.erase(it);
        return;
    }
    if (mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
        // Sub-folders are handled by their parent's event; a shared folder
        // itself has no parent that is watched.
        if (roots_.count(directory)) FolderGone(directory);
        return;
    }
    const std::string path = directory + "/" + name;
    if (mask & IN_ISDIR) {
        if (!Recursive(directory)) return;
        if (mask & (IN_CREATE | IN_MOVED_TO)) FolderAppeared(path);
        if (mask & (IN_DELETE | IN_MOVED_FROM)) FolderGone(path);
        return;
    }
    if (mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) FileAppeared(path);
    if (mask & (IN_DELETE | IN_MOVED_FROM)) FileGone(path);
}

void FolderWatcher::FileAppeared(const std::string& path) {
    if (sharing::MimeTypeFor(path).empty()) return;
    // Written again: shared anew, with its new size.
    if (shared_.erase(path)) sharing::UnshareFile(path);
    if (sharing::ShareFile(path) != 0) return;
    shared_.insert(path);
    Report("added", path);
}

void FolderWatcher::FileGone(const std::string& path) {
    if (!shared_.erase(path)) return;
    sharing::UnshareFile(path);
    Report("removed", path);
}

void FolderWatcher::FolderAppeared(const std::string& path) {
    AddWatch(path, true);
    // Files may have arrived before the watch did.
    sharing::ForEachFile(path, true, [&](const fs::directory_entry& entry) {
        if (!shared_.count(entry.path().string())) FileAppeared(entry.path().string());
        return true;
    });
}

void FolderWatcher::FolderGone(const std::string& path) {
    for (auto it = shared_.begin(); it != shared_.end();) {
        if (!Below(*it, path)) {
            ++it;
            continue;
        }
        sharing::UnshareFile(*it);
        Report("removed", *it);
        it = shared_.erase(it);
    }
    // A folder moved away is still watched under its new name.
    for (auto it = directories_.begin(); it != directories_.end();) {
        if (it->second == path || Below(it->second, path)) {
            inotify_rm_watch(fd_, it->first);
            it = directories_.erase(it);
        } else {
            ++it;
        }
    }
}

void FolderWatcher::Rescan() {
    for (const auto& [root, recursive] : roots_) {
        AddWatch(root, recursive);
        sharing::ForEachFile(root, recursive, [&](const fs::directory_entry& entry) {
            if (!shared_.count(entry.path().string())) FileAppeared(entry.path().string());
            return true;
        });
    }
    for (auto it = shared_.begin(); it != shared_.end();) {
        std::error_code ec;
        if (fs::exists(*it, ec)) {
            ++it;
            continue;
        }
        sharing::UnshareFile(*it);
        Report("removed", *it);
        it = shared_.erase(it);
    }
}
