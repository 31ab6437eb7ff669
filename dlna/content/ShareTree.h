#pragma once
// The media server's shared content: a root "0" with the categories "1"
// 视频 (video), "2" 音乐 (music) and "3" 图片 (pictures), which hold one item
// per shared file, of the category's class (object.item.videoItem,
// object.item.audioItem.musicTrack, object.item.imageItem.photo), and a
// folder view "F" 文件夹 after them.
//
// The folder view shows the shared files by their folders: "F" lists the
// folders (and files) below the deepest folder that holds every shared
// file, each folder is a container "F<n>" and each file there a view
// "F<n>_<id>" of its category item (refID <id>). A folder keeps its id for
// as long as the server runs, through being emptied and filled again.
//
// Host threads change the tree while the web server's threads browse it: a
// reader/writer lock guards it, and nothing handed out points into it (the
// finders return copies, Browse returns text built under the lock).
//
// A server may share 100,000 files, so nothing here but Search (which must
// try each) walks the items, and nothing stats the shared files: items are
// indexed by id, by file identity (device and inode, taken when the file was
// added) and by normalised path (for a path that no longer names the same
// file, or none).
//
// Each resource keeps only its URL path ("/share/<id><extension>"); the
// tree keeps one base, "http://address:port", so a new address reaches
// every URL at once, files added before the runtime starts included.
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "DLNA.h"
#include "content/IdAllocator.h"
#include "common/StateWatcher.h"
#include "content/SearchCriteria.h"
#include "content/ShareObject.h"
#include "content/SortCriteria.h"

class ShareTree {
public:
    ShareTree();
    ~ShareTree();
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
    // otherwise its children (an item's are itself) in tree order or
    // `sort`'s, from `starting_index`, at most `requested_count` of them (0
    // for all), with TotalMatches the number of children.
    bool Browse(const std::string& object_id, bool metadata, uint32_t starting_index,
                uint32_t requested_count, std::string* didl, uint32_t* number_returned,
                uint32_t* total_matches, const SortCriteria& sort = {}) const;
    // The whole DIDL-Lite Result of a Search request: the objects below
    // `container_id` (at any depth, not itself) that `criteria` matches, in
    // tree order or `sort`'s, paged as Browse pages, with TotalMatches all
    // that match. One pass over the subtree; only the page is written. False
    // when no object has `container_id`.
    bool Search(const std::string& container_id, const SearchCriteria& criteria,
                const SortCriteria& sort, uint32_t starting_index, uint32_t requested_count,
                std::string* didl, uint32_t* number_returned, uint32_t* total_matches) const;

    // Every URL now starts "http://address:port". Called when the runtime
    // starts and whenever the host's address changes.
    void UpdateAddress(const std::string& address, int port);
    // "http://address:port" as URLs are written now.
    std::string BaseUrl() const;

    size_t ItemCount() const;

    // What a reader found in the file the item `id` shares, when that item
    // still shares `path`: the tag title (when there is one), stream
    // properties, the profile, tags, and `album_art` (a URL path below the
    // base, empty for none). Counts as a change of the tree.
    struct Metadata {
        std::string title;
        int32_t duration_ms = 0;
        StreamProperties properties;
        std::string profile;
        ItemTags tags;
    };
    bool ApplyMetadata(uint64_t id, const std::string& path, Metadata metadata);
    // Called with (id, path, MIME type) for every item added from now on,
    // under the tree's lock: it must only queue them.
    using AddedHook = std::function<void(uint64_t, const std::string&, const std::string&)>;
    void OnAdded(AddedHook hook);
    // The fourth protocolInfo field of the resource served at `url_path`
    // ("/share/<id><extension>"), for contentFeatures.dlna.org; empty when
    // none is.
    std::string ContentFeatures(const std::string& url_path) const;

    // Grows with every change of the tree (items added or removed), as does
    // the changed category's own update id; each change goes to the watcher
    // as SystemUpdateID and ContainerUpdateIDs ("<id>,<update id>").
    uint32_t SystemUpdateId() const { return system_update_id_; }
    void Watch(std::weak_ptr<StateWatcher> watcher);
    // The evented variables as a new subscriber gets them.
    EventValues EventState() const;

private:
    enum Category : uint8_t { kVideo, kMusic, kPictures, kCategories, kNone = kCategories };
    // One folder of the view. Nodes live as long as the tree (ids stay);
    // the container exists while the folder holds something.
    struct Folder {
        std::string id;  // "F<n>"
        std::string name;
        Folder* parent = nullptr;  // null for "/"
        std::unique_ptr<ShareContainer> own;  // "/" only
        ShareContainer* container = nullptr;
        ShareContainer::Handle handle = 0;  // in the parent's container
        size_t items = 0;
        size_t folders = 0;  // attached sub-folders
    };
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
        Folder* folder = nullptr;
        ShareItem* view = nullptr;
        ShareContainer::Handle view_handle = 0;
    };

    // Callers hold the lock (exclusively for Changed).
    void Changed(Category category);
    const Place* PlaceOf(const std::string& id) const;
    // Any object by id, the folder view's included; null when none.
    const ShareObject* ObjectOf(const std::string& id) const;
    // What Browse and Search of `object` go through: the folder view's top
    // shows the children of the deepest folder holding everything.
    const ShareObject& Contents(const ShareObject& object) const;
    Folder* FolderOf(const std::string& directory);
    void AttachFolder(Folder* folder);
    void DetachEmpty(Folder* folder);
    // The deepest folder that holds every shared file; its children show
    // "F" as their parent.
    Folder* ViewTop() const;
    void UpdateViewTop();
    void AddView(Place& place, uint64_t id, const std::string& normal_path);
    void RemoveView(Place& place);
    // The id of the item Find by path gives.
    std::optional<uint64_t> ItemIdOf(const std::string& path) const;
    std::string Base() const;
    // Sorts `objects` and writes the page of them Browse and Search answer.
    void WritePage(std::vector<const ShareObject*>& objects, const SortCriteria& sort,
                   uint32_t starting_index, uint32_t requested_count, std::string* didl,
                   uint32_t* number_returned, uint32_t* total_matches) const;

    mutable std::shared_mutex mutex_;
    IdAllocator ids_;
    std::unique_ptr<ShareContainer> root_;
    ShareContainer* categories_[kCategories] = {};
    ShareContainer* folder_view_ = nullptr;
    std::unordered_map<std::string, std::unique_ptr<Folder>> folders_by_path_;
    std::vector<Folder*> folders_;  // by number
    Folder* view_top_ = nullptr;
    AddedHook added_hook_;
    std::vector<Place> places_;  // by id
    IdentityIndex by_identity_;
    PathIndex by_path_;
    // One protocolInfo per MIME type and fourth field (by "<mime>\n<field>"),
    // shared by all its resources.
    std::unordered_map<std::string, std::shared_ptr<const ProtocolInfo>> protocol_infos_;
    std::string base_;
    size_t items_ = 0;
    std::atomic<uint32_t> system_update_id_{0};
    uint32_t container_update_ids_[kCategories] = {};
    WatchedState watched_;
};
