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
}

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
    if (places_.size() <= id) places_.resize(id + 1);
    places_[id] = place;
    ++items_;
    Changed(category);

    VirtualFileRegistry::Instance().AddDiscFile(path, url_path, mime);
    return 0;
}

int ShareTree::RemoveFile(const std::string& path) {
    std::unique_lock lock(mutex_);
    const auto id = ItemIdOf(path);
    if (!id) return -501;
    const Place place = std::exchange(places_[*id], Place{});
    if (place.has_identity) by_identity_.erase(place.by_identity);
    by_path_.erase(place.by_path);
    --items_;
    Changed(place.category);
    std::unique_ptr<ShareObject> removed = categories_[place.category]->RemoveChild(place.handle);
    // By the URL this very item was served under: the same file may be
    // shared more than once.
    auto& registry = VirtualFileRegistry::Instance();
    if (auto* item = dynamic_cast<ShareItem*>(removed.get()); item && !item->Resources().empty())
        registry.RemoveVirtual(item->Resources().front()->Url());
    else
        registry.Remove(path);
    return 0;
}

std::unique_ptr<ShareObject> ShareTree::FindByPath(const std::string& path) const {
    std::shared_lock lock(mutex_);
    const auto id = ItemIdOf(path);
    return id ? places_[*id].object->Clone(Base()) : nullptr;
}

std::unique_ptr<ShareObject> ShareTree::FindById(const std::string& id) const {
    std::shared_lock lock(mutex_);
    const Place* place = PlaceOf(id);
    return place ? place->object->Clone(Base()) : nullptr;
}

bool ShareTree::Browse(const std::string& object_id, bool metadata, uint32_t starting_index,
                       uint32_t requested_count, std::string* didl, uint32_t* number_returned,
                       uint32_t* total_matches, const SortCriteria& sort) const {
    std::shared_lock lock(mutex_);
    const Place* place = PlaceOf(object_id);
    if (!place) return false;
    const ShareObject& object = *place->object;
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
    const Place* place = PlaceOf(container_id);
    if (!place) return false;
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
    visit(*place->object, visit);
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
        for (size_t i = start; i < end; ++i) objects[i]->ToXml(result, base);
        result += kDidlFooter;
        *didl = std::move(result);
    }
    if (number_returned) *number_returned = static_cast<uint32_t>(end - start);
    if (total_matches) *total_matches = static_cast<uint32_t>(objects.size());
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
