#pragma once
// What a media server shares, and what a remote DIDL-Lite document holds:
// containers and items, each written as one DIDL-Lite fragment.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "DLNA.h"
#include "content/ChildList.h"
#include "content/ShareResource.h"

// `url_base` below is put in front of every resource's URL: the share
// tree's "http://address:port", or empty for objects read from DIDL-Lite,
// whose URLs are whole.
class ShareObject {
public:
    virtual ~ShareObject() = default;

    const std::string& Id() const { return id_; }
    const std::string& ParentId() const { return parent_id_; }
    virtual const std::string& Title() const { return title_; }
    // The id of the object this one shows again elsewhere; empty for most.
    virtual const std::string& RefId() const;
    bool Restricted() const { return restricted_; }
    void SetId(std::string id) { id_ = std::move(id); }
    void SetParentId(std::string parent_id) { parent_id_ = std::move(parent_id); }
    void SetTitle(std::string title) { title_ = std::move(title); }
    void SetRestricted(bool restricted) { restricted_ = restricted; }

    // The upnp:class and the DIDL-Lite element name.
    virtual const char* Class() const = 0;
    virtual const char* ElementName() const = 0;

    // Appends the object's DIDL-Lite fragment.
    virtual void ToXml(std::string& out, std::string_view url_base = {}) const = 0;
    // What Browse lists: a container's children, an item itself.
    virtual size_t ChildCount() const = 0;
    // Appends the fragments of at most `count` of those from `position`;
    // returns how many.
    virtual size_t ChildrenToXml(std::string& out, size_t position, size_t count,
                                 std::string_view url_base = {}) const = 0;
    // Fills `element` (cleared first) with new copies, its didl a document
    // holding this object alone. On failure frees what it filled and throws.
    virtual void ToElement(DLNA_CONTENT_ELEMENT* element, std::string_view url_base = {}) const = 0;
    // A copy that shares nothing with this object: an item with its
    // resources, their URLs made whole with `url_base`; a container without
    // its children.
    virtual std::unique_ptr<ShareObject> Clone(std::string_view url_base = {}) const = 0;

protected:
    ShareObject(std::string id, std::string parent_id, std::string title)
        : id_(std::move(id)), parent_id_(std::move(parent_id)), title_(std::move(title)) {}
    ShareObject(const ShareObject&) = default;

    // The start tag (with refID when there is one), dc:title and upnp:class.
    void OpenXml(std::string& out) const;
    void CloseXml(std::string& out) const;

private:
    std::string id_;
    std::string parent_id_;
    std::string title_;
    bool restricted_ = true;
};

class ShareContainer final : public ShareObject {
public:
    using Handle = ChildList<ShareObject>::Handle;

    ShareContainer(std::string id = {}, std::string parent_id = {}, std::string title = {})
        : ShareObject(std::move(id), std::move(parent_id), std::move(title)) {}

    const char* Class() const override { return "object.container"; }
    const char* ElementName() const override { return "container"; }
    void ToXml(std::string& out, std::string_view url_base = {}) const override;
    size_t ChildCount() const override { return children_.Size(); }
    size_t ChildrenToXml(std::string& out, size_t position, size_t count,
                         std::string_view url_base = {}) const override;
    void ToElement(DLNA_CONTENT_ELEMENT* element, std::string_view url_base = {}) const override;
    std::unique_ptr<ShareObject> Clone(std::string_view url_base = {}) const override;

    Handle AppendChild(std::unique_ptr<ShareObject> child) {
        return children_.Append(std::move(child));
    }
    std::unique_ptr<ShareObject> RemoveChild(Handle handle) { return children_.Remove(handle); }
    // Calls visit(const ShareObject&) for every child, in order.
    template <class Visit>
    void ForEachChild(Visit&& visit) const {
        children_.ForEach(0, children_.Size(), visit);
    }

private:
    ChildList<ShareObject> children_;
};

// What tags and the files beside an item tell; written after upnp:class.
struct ItemTags {
    std::string artist;  // also dc:creator
    std::string album;
    std::string genre;
    std::string date;  // "YYYY-MM-DD"
    uint32_t track = 0;
    std::string album_art;  // URL path below the base, a JPEG_TN thumbnail
};

// ItemTags as an item keeps them: the texts in one allocation (a server
// may hold 100,000 items).
class PackedTags {
public:
    explicit PackedTags(const ItemTags& tags);
    std::string_view Artist() const { return Field(0); }
    std::string_view Album() const { return Field(1); }
    std::string_view Genre() const { return Field(2); }
    std::string_view Date() const { return Field(3); }
    std::string_view AlbumArt() const { return Field(4); }
    uint32_t Track() const { return track_; }
    ItemTags Unpacked() const;
    void ToXml(std::string& out, std::string_view url_base) const;

private:
    std::string_view Field(int index) const;

    std::string packed_;  // the five texts, each ended by '\0'
    uint32_t track_;
};

class ShareItem final : public ShareObject {
public:
    ShareItem(std::string id = {}, std::string parent_id = {}, std::string title = {})
        : ShareObject(std::move(id), std::move(parent_id), std::move(title)) {}

    // The same item shown in another container (a folder): its own id and
    // parent, refID naming `original`, everything else read from it. The
    // original must outlive the view.
    static std::unique_ptr<ShareItem> ViewOf(const ShareItem& original, std::string id,
                                             std::string parent_id);

    const std::string& Title() const override {
        return original_ ? original_->Title() : ShareObject::Title();
    }
    const std::string& RefId() const override;
    const char* Class() const override { return original_ ? original_->Class() : class_; }
    // A narrower class than "object.item", such as
    // "object.item.audioItem.musicTrack": TVs search by it. A literal: items
    // keep the pointer, not a copy.
    void SetClass(const char* item_class) { class_ = item_class; }
    const char* ElementName() const override { return "item"; }
    void ToXml(std::string& out, std::string_view url_base = {}) const override;
    size_t ChildCount() const override { return 1; }
    size_t ChildrenToXml(std::string& out, size_t position, size_t count,
                         std::string_view url_base = {}) const override;
    void ToElement(DLNA_CONTENT_ELEMENT* element, std::string_view url_base = {}) const override;
    std::unique_ptr<ShareObject> Clone(std::string_view url_base = {}) const override;

    void AddResource(std::unique_ptr<ShareResource> resource) {
        resources_.push_back(std::move(resource));
    }
    const std::vector<std::unique_ptr<ShareResource>>& Resources() const {
        return original_ ? original_->resources_ : resources_;
    }
    // Null until a reader has filled them in.
    const PackedTags* Tags() const { return original_ ? original_->tags_.get() : tags_.get(); }
    void SetTags(std::unique_ptr<const PackedTags> tags) { tags_ = std::move(tags); }

private:
    std::vector<std::unique_ptr<ShareResource>> resources_;
    std::unique_ptr<const PackedTags> tags_;
    const char* class_ = "object.item";
    const ShareItem* original_ = nullptr;
};
