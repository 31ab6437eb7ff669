#include "content/ShareTree.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <mutex>
#include <utility>

#include "UpnpUtility.h"
#include "VirtualFileRegistry.h"
#include "common/DlnaLog.h"
#include "content/DidlLite.h"
#include "content/DlnaProfiles.h"
#include "content/XmlText.h"

namespace {

const char* const kCategoryTitles[] = {"视频", "音乐", "图片"};
const char* const kFolderViewId = "F";
const char* const kCategoryMimeParts[] = {"video/", "audio/", "image/"};
const char* const kCategoryClasses[] = {"object.item.videoItem", "object.item.audioItem.musicTrack",
                                        "object.item.imageItem.photo"};

// What std::filesystem::lexically_normal leaves alone, told without it:
// building paths costs more than the rest of adding a file.
bool IsNormalAbsolute(std::string_view path) {
    if (path.empty() || path[0] != '/') return false;
    for (std::string_view part : {"//", "/./", "/../"})
        if (path.find(part) != std::string_view::npos) return false;
    return !path.ends_with("/.") && !path.ends_with("/..");
}

std::string NormalPath(const std::string& path) {
    if (IsNormalAbsolute(path)) return path;
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    if (ec) return std::filesystem::path(path).lexically_normal().string();
    return absolute.lexically_normal().string();
}

// std::filesystem::path's filename() and extension(), on text.
std::string_view FileName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view Extension(std::string_view name) {
    if (name == "." || name == "..") return {};
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    // The extension goes into a URL as it is: one that would need escaping
    // is left out, the id alone names the file.
    for (char c : name.substr(dot + 1))
        if (!std::isalnum(static_cast<unsigned char>(c))) return {};
    return name.substr(dot);
}

// The number an id text names, when it is written the way ids are (plain
// decimal, no leading zero).
bool IdNumber(const std::string& id, uint64_t* number) {
    if (id.empty() || (id.size() > 1 && id[0] == '0')) return false;
    const char* end = id.data() + id.size();
    auto [stop, error] = std::from_chars(id.data(), end, *number);
    return error == std::errc() && stop == end;
}

}  // namespace

ShareTree::ShareTree() {
    root_ = std::make_unique<ShareContainer>(std::to_string(ids_.Allocate()), "-1", "root");
    places_.push_back({root_.get()});
    for (int category = kVideo; category < kCategories; ++category) {
        auto container = std::make_unique<ShareContainer>(std::to_string(ids_.Allocate()),
                                                          root_->Id(), kCategoryTitles[category]);
        categories_[category] = container.get();
        places_.push_back({container.get()});
        root_->AppendChild(std::move(container));
    }
    auto view = std::make_unique<ShareContainer>(kFolderViewId, root_->Id(), "文件夹");
    folder_view_ = view.get();
    root_->AppendChild(std::move(view));
    Folder* top = FolderOf("/");
    top->own = std::make_unique<ShareContainer>(top->id, kFolderViewId, "/");
    top->container = top->own.get();
    view_top_ = top;
}

ShareTree::~ShareTree() = default;

int ShareTree::AddFile(const std::string& path, const DLNA_SHARE_OBJECT& object) {
    const std::string mime = object.mime_type ? object.mime_type : "";
    Category category = kNone;
    for (int c = kVideo; c < kCategories && category == kNone; ++c)
        if (mime.find(kCategoryMimeParts[c]) != std::string::npos)
            category = static_cast<Category>(c);
    if (category == kNone) {
        LogLine(DlnaLog(), LogLevel::Warning) << "Unkown mimetype: " << mime;
        return -501;
    }

    const std::string_view name = FileName(path);
    const std::string title = xmltext::ValidText(name);
    const std::string extension(Extension(name));
    struct stat info {};
    const bool has_identity = ::stat(path.c_str(), &info) == 0;
    std::string normal_path = NormalPath(path);
    const DlnaProfiles::Kind kinds[] = {DlnaProfiles::Kind::kVideo, DlnaProfiles::Kind::kAudio,
                                        DlnaProfiles::Kind::kImage};
    std::string additional_info = DlnaProfiles::AdditionalInfo(mime, extension, kinds[category]);

    std::unique_lock lock(mutex_);
    if (base_.empty()) {
        // Nobody has given an address yet: a running runtime's is the one.
        // Without either, Base() keeps asking the runtime.
        const std::string address = UpnpUtility::ServerAddress();
        if (!address.empty())
            base_ = "http://" + address + ":" + std::to_string(UpnpUtility::ServerPort());
    }
    auto& protocol_info = protocol_infos_[mime + '\n' + additional_info];
    if (!protocol_info)
        protocol_info = std::make_shared<const ProtocolInfo>(
            ProtocolInfo{"http-get", "*", mime, std::move(additional_info)});

    const uint64_t id = ids_.Allocate();
    const std::string url_path = "/share/" + std::to_string(id) + extension;
    std::unique_ptr<ShareResource> resource;
    if (category == kVideo)
        resource = std::make_unique<ShareVideo>(path, url_path, object.size, protocol_info,
                                                object.duration);
    else if (category == kMusic)
        resource = std::make_unique<ShareMusic>(path, url_path, object.size, protocol_info,
                                                object.duration);
    else
        resource = std::make_unique<ShareImage>(path, url_path, object.size, protocol_info);
    ShareContainer& container = *categories_[category];
    auto item = std::make_unique<ShareItem>(std::to_string(id), container.Id(), title);
    item->SetClass(kCategoryClasses[category]);
    item->AddResource(std::move(resource));

    Place place{item.get(), category, has_identity};
    place.handle = container.AppendChild(std::move(item));
    if (has_identity)
        place.by_identity = by_identity_.emplace(FileKey{info.st_dev, info.st_ino}, id);
    place.by_path = by_path_.emplace(std::move(normal_path), id);
    AddView(place, id, place.by_path->first);
    if (places_.size() <= id) places_.resize(id + 1);
    places_[id] = place;
    ++items_;
    Changed(category);
    if (added_hook_) added_hook_(id, path, mime);

    VirtualFileRegistry::Instance().AddServedFile(path, url_path, mime);
    return 0;
}

int ShareTree::RemoveFile(const std::string& path) {
    std::unique_lock lock(mutex_);
    const auto id = ItemIdOf(path);
    if (!id) return -501;
    Place place = std::exchange(places_[*id], Place{});
    RemoveView(place);
    if (place.has_identity) by_identity_.erase(place.by_identity);
    by_path_.erase(place.by_path);
    --items_;
    Changed(place.category);
    std::unique_ptr<ShareObject> removed = categories_[place.category]->RemoveChild(place.handle);
    // By the URL this very item was served under: the same file may be
    // shared more than once.
    auto& registry = VirtualFileRegistry::Instance();
    auto* item = static_cast<ShareItem*>(removed.get());
    registry.RemoveVirtual(item->Resources().front()->Url());
    if (item->Tags() && !item->Tags()->AlbumArt().empty())
        registry.RemoveVirtual(std::string(item->Tags()->AlbumArt()));
    return 0;
}

std::unique_ptr<ShareObject> ShareTree::FindByPath(const std::string& path) const {
    std::shared_lock lock(mutex_);
    const auto id = ItemIdOf(path);
    return id ? places_[*id].object->Clone(Base()) : nullptr;
}

std::unique_ptr<ShareObject> ShareTree::FindById(const std::string& id) const {
    std::shared_lock lock(mutex_);
    const ShareObject* object = ObjectOf(id);
    return object ? object->Clone(Base()) : nullptr;
}

bool ShareTree::Browse(const std::string& object_id, bool metadata, uint32_t starting_index,
                       uint32_t requested_count, std::string* didl, uint32_t* number_returned,
                       uint32_t* total_matches, const SortCriteria& sort) const {
    std::shared_lock lock(mutex_);
    const ShareObject* found = ObjectOf(object_id);
    if (!found) return false;
    const ShareObject& object = metadata ? *found : Contents(*found);
    const auto* container = dynamic_cast<const ShareContainer*>(&object);
    if (!metadata && container && !sort.Empty()) {
        std::vector<const ShareObject*> children;
        children.reserve(container->ChildCount());
        container->ForEachChild([&](const ShareObject& child) { children.push_back(&child); });
        WritePage(children, sort, starting_index, requested_count, didl, number_returned,
                  total_matches);
        return true;
    }
    const std::string base = Base();
    std::string result(kDidlHeader);
    uint32_t returned = 1, total = 1;
    if (metadata) {
        object.ToXml(result, base);
    } else {
        total = static_cast<uint32_t>(object.ChildCount());
        const uint32_t count = requested_count ? requested_count : total;
        // About what an item with tags takes: the answer is built once.
        result.reserve(result.size() + 768 * std::min<size_t>(count, total));
        returned = static_cast<uint32_t>(object.ChildrenToXml(result, starting_index, count, base));
    }
    result += kDidlFooter;
    if (didl) *didl = std::move(result);
    if (number_returned) *number_returned = returned;
    if (total_matches) *total_matches = total;
    return true;
}

bool ShareTree::Search(const std::string& container_id, const SearchCriteria& criteria,
                       const SortCriteria& sort, uint32_t starting_index,
                       uint32_t requested_count, std::string* didl, uint32_t* number_returned,
                       uint32_t* total_matches) const {
    std::shared_lock lock(mutex_);
    const ShareObject* found = ObjectOf(container_id);
    if (!found) return false;
    std::vector<const ShareObject*> matches;
    // Depth first, each container before its children: tree order.
    const auto visit = [&](const ShareObject& object, const auto& self) -> void {
        const auto* container = dynamic_cast<const ShareContainer*>(&object);
        if (!container) return;
        container->ForEachChild([&](const ShareObject& child) {
            if (criteria.Matches(child)) matches.push_back(&child);
            self(child, self);
        });
    };
    visit(Contents(*found), visit);
    WritePage(matches, sort, starting_index, requested_count, didl, number_returned,
              total_matches);
    return true;
}

void ShareTree::WritePage(std::vector<const ShareObject*>& objects, const SortCriteria& sort,
                          uint32_t starting_index, uint32_t requested_count, std::string* didl,
                          uint32_t* number_returned, uint32_t* total_matches) const {
    sort.Sort(objects);
    const size_t start = std::min<size_t>(starting_index, objects.size());
    const size_t end = requested_count ? std::min<size_t>(start + requested_count, objects.size())
                                       : objects.size();
    if (didl) {
        const std::string base = Base();
        std::string result(kDidlHeader);
        result.reserve(result.size() + 768 * (end - start));
        for (size_t i = start; i < end; ++i) objects[i]->ToXml(result, base);
        result += kDidlFooter;
        *didl = std::move(result);
    }
    if (number_returned) *number_returned = static_cast<uint32_t>(end - start);
    if (total_matches) *total_matches = static_cast<uint32_t>(objects.size());
}

bool ShareTree::ApplyMetadata(uint64_t id, const std::string& path, Metadata metadata) {
    std::unique_lock lock(mutex_);
    if (id >= places_.size() || !places_[id].folder) return false;
    Place& place = places_[id];
    auto* item = static_cast<ShareItem*>(place.object);
    if (item->Resources().empty() || item->Resources().front()->LocalPath() != path) return false;
    ShareResource& resource = *item->Resources().front();
    if (!metadata.title.empty()) item->SetTitle(xmltext::ValidText(metadata.title));
    if (auto* timed = dynamic_cast<ShareTimedResource*>(&resource); timed && metadata.duration_ms > 0)
        timed->SetDurationMs(metadata.duration_ms);
    resource.SetProperties(metadata.properties);
    if (!metadata.profile.empty()) {
        // The profile the streams justify replaces the one the name gave.
        const ProtocolInfo& info = resource.Info();
        std::string rest = info.additional_info;
        if (rest.starts_with("DLNA.ORG_PN=")) {
            const size_t end = rest.find(';');
            rest.erase(0, end == std::string::npos ? rest.size() : end + 1);
        }
        std::string additional = "DLNA.ORG_PN=" + metadata.profile + ";" + rest;
        auto& shared = protocol_infos_[info.content_format + '\n' + additional];
        if (!shared)
            shared = std::make_shared<const ProtocolInfo>(
                ProtocolInfo{info.protocol, info.network, info.content_format, std::move(additional)});
        resource.SetInfo(shared);
    }
    ItemTags& tags = metadata.tags;
    for (std::string* text : {&tags.artist, &tags.album, &tags.genre, &tags.date})
        *text = xmltext::ValidText(*text);
    if (!tags.artist.empty() || !tags.album.empty() || !tags.genre.empty() || !tags.date.empty() ||
        tags.track || !tags.album_art.empty())
        item->SetTags(std::make_unique<const PackedTags>(tags));
    Changed(place.category);
    return true;
}

std::string ShareTree::ContentFeatures(const std::string& url_path) const {
    const std::string_view name = FileName(url_path);
    uint64_t id;
    if (!IdNumber(std::string(name.substr(0, name.find('.'))), &id)) return {};
    std::shared_lock lock(mutex_);
    if (id >= places_.size() || !places_[id].folder) return {};
    const auto* item = static_cast<const ShareItem*>(places_[id].object);
    for (const auto& resource : item->Resources())
        if (resource->Url() == url_path) return resource->Info().additional_info;
    return {};
}

void ShareTree::OnAdded(AddedHook hook) {
    std::unique_lock lock(mutex_);
    added_hook_ = std::move(hook);
}

void ShareTree::UpdateAddress(const std::string& address, int port) {
    std::string base = "http://" + address + ":" + std::to_string(port);
    std::unique_lock lock(mutex_);
    base_ = std::move(base);
}

std::string ShareTree::BaseUrl() const {
    std::shared_lock lock(mutex_);
    return Base();
}

size_t ShareTree::ItemCount() const {
    std::shared_lock lock(mutex_);
    return items_;
}

const ShareObject* ShareTree::ObjectOf(const std::string& id) const {
    if (id.empty() || id[0] != kFolderViewId[0]) {
        const Place* place = PlaceOf(id);
        return place ? place->object : nullptr;
    }
    if (id == kFolderViewId) return folder_view_;
    // "F<n>" or "F<n>_<item>"
    const size_t mark = id.find('_');
    uint64_t number, item;
    if (!IdNumber(id.substr(1, mark == std::string::npos ? std::string::npos : mark - 1),
                  &number) ||
        number >= folders_.size())
        return nullptr;
    Folder* folder = folders_[number];
    if (mark == std::string::npos) return folder->container;
    if (!IdNumber(id.substr(mark + 1), &item) || item >= places_.size() ||
        places_[item].folder != folder)
        return nullptr;
    return places_[item].view;
}

const ShareObject& ShareTree::Contents(const ShareObject& object) const {
    return &object == folder_view_ ? *view_top_->container : object;
}

ShareTree::Folder* ShareTree::FolderOf(const std::string& directory) {
    auto& slot = folders_by_path_[directory];
    if (slot) return slot.get();
    auto folder = std::make_unique<Folder>();
    if (directory != "/") {
        const size_t slash = directory.rfind('/');
        folder->name = xmltext::ValidText(std::string_view(directory).substr(slash + 1));
        // Parents first (their numbers are smaller); the map may rehash
        // meanwhile, so the slot is looked up again below.
        folder->parent = FolderOf(slash == 0 ? "/" : directory.substr(0, slash));
    }
    folder->id = kFolderViewId + std::to_string(folders_.size());
    folders_.push_back(folder.get());
    auto& filled = folders_by_path_[directory];
    filled = std::move(folder);
    return filled.get();
}

void ShareTree::AttachFolder(Folder* folder) {
    if (folder->container) return;
    Folder* parent = folder->parent;
    AttachFolder(parent);
    auto container = std::make_unique<ShareContainer>(
        folder->id, parent == view_top_ ? kFolderViewId : parent->id, folder->name);
    folder->container = container.get();
    folder->handle = parent->container->AppendChild(std::move(container));
    ++parent->folders;
}

void ShareTree::DetachEmpty(Folder* folder) {
    while (folder->parent && folder->container && folder->items == 0 && folder->folders == 0) {
        Folder* parent = folder->parent;
        folder->container = nullptr;
        parent->container->RemoveChild(folder->handle);
        --parent->folders;
        folder = parent;
    }
}

ShareTree::Folder* ShareTree::ViewTop() const {
    Folder* folder = folders_.front();
    while (folder->items == 0 && folder->folders == 1) {
        Folder* only = nullptr;
        folder->container->ForEachChild([&](const ShareObject& child) {
            uint64_t number;
            if (!only && IdNumber(child.Id().substr(1), &number)) only = folders_[number];
        });
        if (!only) break;
        folder = only;
    }
    return folder;
}

void ShareTree::UpdateViewTop() {
    Folder* top = ViewTop();
    if (top == view_top_) return;
    // Children of the view's top name "F" as their parent, the others their
    // folder: a rare change (a file outside every folder shared so far).
    const auto reparent = [](Folder* folder, const std::string& parent_id) {
        if (!folder->container) return;
        folder->container->ForEachChild(
            [&](const ShareObject& child) { const_cast<ShareObject&>(child).SetParentId(parent_id); });
    };
    reparent(view_top_, view_top_->id);
    view_top_ = top;
    reparent(top, kFolderViewId);
}

void ShareTree::AddView(Place& place, uint64_t id, const std::string& normal_path) {
    const size_t slash = normal_path.rfind('/');
    Folder* folder = FolderOf(slash == 0 || slash == std::string::npos
                                  ? std::string("/")
                                  : normal_path.substr(0, slash));
    AttachFolder(folder);
    auto view = ShareItem::ViewOf(*static_cast<const ShareItem*>(place.object),
                                  folder->id + "_" + std::to_string(id),
                                  folder == view_top_ ? kFolderViewId : folder->id);
    place.view = view.get();
    place.view_handle = folder->container->AppendChild(std::move(view));
    place.folder = folder;
    ++folder->items;
    UpdateViewTop();
}

void ShareTree::RemoveView(Place& place) {
    Folder* folder = place.folder;
    if (!folder) return;
    folder->container->RemoveChild(place.view_handle);
    --folder->items;
    place.folder = nullptr;
    place.view = nullptr;
    DetachEmpty(folder);
    UpdateViewTop();
}

const ShareTree::Place* ShareTree::PlaceOf(const std::string& id) const {
    uint64_t number;
    if (!IdNumber(id, &number) || number >= places_.size() || !places_[number].object)
        return nullptr;
    return &places_[number];
}

std::optional<uint64_t> ShareTree::ItemIdOf(const std::string& path) const {
    // Candidates by the file `path` names now, and by the path itself (the
    // shared file may be gone or replaced); the first in category order,
    // then position (ids grow with it), wins. The identity taken at adding
    // only narrows the search: an item's own path must still name that file,
    // or a deleted file's inode, reused, would answer for another path.
    std::optional<uint64_t> best;
    const auto consider = [&](uint64_t id) {
        if (!best || places_[id].category < places_[*best].category ||
            (places_[id].category == places_[*best].category && id < *best))
            best = id;
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        auto [first, last] = by_identity_.equal_range(FileKey{info.st_dev, info.st_ino});
        for (auto it = first; it != last; ++it) {
            struct stat now {};
            const std::string& shared = places_[it->second].by_path->first;
            if (::stat(shared.c_str(), &now) == 0 && now.st_dev == info.st_dev &&
                now.st_ino == info.st_ino)
                consider(it->second);
        }
    }
    auto [first, last] = by_path_.equal_range(NormalPath(path));
    for (auto it = first; it != last; ++it) consider(it->second);
    return best;
}

std::string ShareTree::Base() const {
    if (!base_.empty()) return base_;
    return "http://" + UpnpUtility::ServerAddress() + ":" +
           std::to_string(UpnpUtility::ServerPort());
}

void ShareTree::Changed(Category category) {
    const uint32_t system = ++system_update_id_;
    const uint32_t container = ++container_update_ids_[category];
    watched_.Report(0, {}, {{"SystemUpdateID", std::to_string(system)},
                            {"ContainerUpdateIDs", categories_[category]->Id() + "," +
                                                       std::to_string(container)}});
}

void ShareTree::Watch(std::weak_ptr<StateWatcher> watcher) { watched_.Watch(std::move(watcher)); }

EventValues ShareTree::EventState() const {
    std::shared_lock lock(mutex_);
    return {{"SystemUpdateID", std::to_string(system_update_id_)}, {"ContainerUpdateIDs", ""}};
}
