#pragma once
// The media server's shared content: a root "0" with the categories "1"
// 视频 (video), "2" 音乐 (music) and "3" 图片 (pictures), which hold one item
// per shared file. One tree per process, created on first use and never
// destroyed.
//
// Host threads change the tree while the web server's threads browse it: a
// reader/writer lock guards it, and nothing handed out points into it (the
// finders return copies, Browse returns text built under the lock).
//
// A server may share 100,000 files, so nothing here walks the items or
// stats the shared files: items are indexed by id, by file identity (device
// and inode, taken when the file was added) and by normalised path (for a
// path that no longer names the same file, or none).
//
// Each resource keeps only its URL path ("/share/<id><extension>"); the
// tree keeps one base, "http://address:port", so a new address reaches
// every URL at once, files added before the runtime starts included.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "DLNA.h"
#include "IdAllocator.h"
#include "ShareObject.h"

class ShareTree {
public:
    static ShareTree& Instance();

    ShareTree();
    ShareTree(const ShareTree&) = delete;
    ShareTree& operator=(const ShareTree&) = delete;

    // Shares the file at `path` as a new item of the category its MIME type
    // names ("video/", "audio/", "image/" anywhere in it, in that order) and
    // serves it at "/share/<id><extension>". 0, or -501 (logged) for a MIME
    // type of no category. The same file added twice gives two items.
    int AddFile(const std::string& path, const DLNA_SHARE_OBJECT& object);
    // Takes out the item Find by path gives and stops serving the file. 0,
    // or -501 when no item shares it.
    int RemoveFile(const std::string& path);

    // A copy of the item sharing the file `path` names (the first in the
    // order video, music, pictures, then position), with whole URLs; null
    // when none does.
    std::unique_ptr<ShareObject> FindByPath(const std::string& path) const;
    // A copy of the object with exactly this id (a container without its
    // children); null when none has it.
    std::unique_ptr<ShareObject> FindById(const std::string& id) const;

    // The whole DIDL-Lite Result of a Browse request. False when no object
    // has `object_id`. `metadata` gives the object's own fragment (1 of 1);
    // otherwise its children (an item's are itself) from `starting_index`,
    // at most `requested_count` of them (0 for all), with TotalMatches the
    // number of children.
    bool Browse(const std::string& object_id, bool metadata, uint32_t starting_index,
                uint32_t requested_count, std::string* didl, uint32_t* number_returned,
                uint32_t* total_matches) const;

    // Every URL now starts "http://address:port". Called when the runtime
    // starts and whenever the host's address changes.
    void UpdateAddress(const std::string& address, int port);
    // "http://address:port" as URLs are written now.
    std::string BaseUrl() const;

    size_t ItemCount() const;

private:
    enum Category : uint8_t { kVideo, kMusic, kPictures, kCategories, kNone = kCategories };
    struct FileKey {
        dev_t device = 0;
        ino_t inode = 0;
        auto operator<=>(const FileKey&) const = default;
    };
    using IdentityIndex = std::multimap<FileKey, uint64_t>;
    using PathIndex = std::multimap<std::string, uint64_t>;
    // Where one id lives. Only items fill the handle and index positions.
    struct Place {
        ShareObject* object = nullptr;
        Category category = kNone;
        bool has_identity = false;
        ShareContainer::Handle handle = 0;
        IdentityIndex::iterator by_identity{};
        PathIndex::iterator by_path{};
    };

    // Callers hold the lock.
    const Place* PlaceOf(const std::string& id) const;
    // The id of the item Find by path gives.
    std::optional<uint64_t> ItemIdOf(const std::string& path) const;
    std::string Base() const;

    mutable std::shared_mutex mutex_;
    IdAllocator ids_;
    std::unique_ptr<ShareContainer> root_;
    ShareContainer* categories_[kCategories] = {};
    std::vector<Place> places_;  // by id
    IdentityIndex by_identity_;
    PathIndex by_path_;
    // One protocolInfo per MIME type, shared by all its resources.
    std::unordered_map<std::string, std::shared_ptr<const ProtocolInfo>> protocol_infos_;
    std::string base_;
    size_t items_ = 0;
};
