#include "content/ShareObject.h"

#include <cstdlib>
#include <cstring>

#include "common/CString.h"
#include "content/ContentElement.h"
#include "content/DidlLite.h"
#include "content/XmlText.h"

namespace {

void AppendElement(std::string& out, const char* name, std::string_view text) {
    out.append(1, '<').append(name).append(1, '>');
    xmltext::AppendEscaped(out, text);
    out.append("</").append(name).append(1, '>');
}

// Runs `fill` on a cleared element; what it filled is freed if it throws.
template <class Fill>
void FillElement(DLNA_CONTENT_ELEMENT* element, int32_t type, Fill&& fill) {
    std::memset(element, 0, sizeof *element);
    element->type = type;
    try {
        fill();
    } catch (...) {
        ClearContentElement(*element);
        throw;
    }
}

}  // namespace

const std::string& ShareObject::RefId() const {
    static const std::string none;
    return none;
}

void ShareObject::OpenXml(std::string& out) const {
    out.append(1, '<').append(ElementName()).append(" id=\"");
    xmltext::AppendEscaped(out, id_);
    out += "\" parentID=\"";
    xmltext::AppendEscaped(out, parent_id_);
    out += restricted_ ? "\" restricted=\"1\"" : "\" restricted=\"0\"";
    if (const std::string& ref = RefId(); !ref.empty()) {
        out += " refID=\"";
        xmltext::AppendEscaped(out, ref);
        out += '"';
    }
    out += '>';
    AppendElement(out, "dc:title", Title());
    AppendElement(out, "upnp:class", Class());
}

void ShareObject::CloseXml(std::string& out) const {
    out.append("</").append(ElementName()).append(1, '>');
}

void ShareContainer::ToXml(std::string& out, std::string_view) const {
    OpenXml(out);
    CloseXml(out);
}

size_t ShareContainer::ChildrenToXml(std::string& out, size_t position, size_t count,
                                     std::string_view url_base) const {
    return children_.ForEach(position, count,
                             [&](const ShareObject& child) { child.ToXml(out, url_base); });
}

void ShareContainer::ToElement(DLNA_CONTENT_ELEMENT* element, std::string_view url_base) const {
    FillElement(element, DLNA_CONTENT_CONTAINER, [&] {
        auto& container = element->element.container;
        container.id = DupString(Id());
        container.parent_id = DupString(ParentId());
        container.title = DupString(Title());
        container.didl = DupString(DidlDocument(*this, url_base));
    });
}

std::unique_ptr<ShareObject> ShareContainer::Clone(std::string_view) const {
    auto copy = std::make_unique<ShareContainer>(Id(), ParentId(), Title());
    copy->SetRestricted(Restricted());
    return copy;
}

PackedTags::PackedTags(const ItemTags& tags) : track_(tags.track) {
    for (const std::string* text : {&tags.artist, &tags.album, &tags.genre, &tags.date,
                                    &tags.album_art})
        packed_.append(text->c_str()).push_back('\0');
    packed_.shrink_to_fit();
}

std::string_view PackedTags::Field(int index) const {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = packed_.find('\0', start) + 1;
    return std::string_view(packed_).substr(start, packed_.find('\0', start) - start);
}

ItemTags PackedTags::Unpacked() const {
    return {std::string(Artist()), std::string(Album()), std::string(Genre()),
            std::string(Date()),   track_,                std::string(AlbumArt())};
}

void PackedTags::ToXml(std::string& out, std::string_view url_base) const {
    const std::string_view artist = Artist(), album = Album(), genre = Genre(), date = Date(),
                           album_art = AlbumArt();
    if (!artist.empty()) {
        AppendElement(out, "dc:creator", artist);
        AppendElement(out, "upnp:artist", artist);
    }
    if (!album.empty()) AppendElement(out, "upnp:album", album);
    if (!genre.empty()) AppendElement(out, "upnp:genre", genre);
    if (!date.empty()) AppendElement(out, "dc:date", date);
    if (track_) AppendElement(out, "upnp:originalTrackNumber", std::to_string(track_));
    if (!album_art.empty()) {
        out += "<upnp:albumArtURI dlna:profileID=\"JPEG_TN\""
               " xmlns:dlna=\"urn:schemas-dlna-org:metadata-1-0/\">";
        xmltext::AppendEscaped(out, url_base);
        xmltext::AppendEscaped(out, album_art);
        out += "</upnp:albumArtURI>";
    }
}

std::unique_ptr<ShareItem> ShareItem::ViewOf(const ShareItem& original, std::string id,
                                             std::string parent_id) {
    auto view = std::make_unique<ShareItem>(std::move(id), std::move(parent_id));
    view->original_ = &original;
    view->SetRestricted(original.Restricted());
    return view;
}

const std::string& ShareItem::RefId() const {
    return original_ ? original_->Id() : ShareObject::RefId();
}

void ShareItem::ToXml(std::string& out, std::string_view url_base) const {
    OpenXml(out);
    if (const PackedTags* tags = Tags()) tags->ToXml(out, url_base);
    for (const auto& resource : Resources()) resource->ToXml(out, url_base);
    CloseXml(out);
}

size_t ShareItem::ChildrenToXml(std::string& out, size_t position, size_t count,
                                std::string_view url_base) const {
    if (position > 0 || count == 0) return 0;
    ToXml(out, url_base);
    return 1;
}

void ShareItem::ToElement(DLNA_CONTENT_ELEMENT* element, std::string_view url_base) const {
    FillElement(element, DLNA_CONTENT_ITEM, [&] {
        auto& item = element->element.item;
        item.id = DupString(Id());
        item.parent_id = DupString(ParentId());
        item.title = DupString(Title());
        const auto& resources = Resources();
        if (!resources.empty()) {
            item.res = static_cast<DLNA_CONTENT_RESOURCE*>(
                std::calloc(resources.size(), sizeof(DLNA_CONTENT_RESOURCE)));
            if (!item.res) throw std::bad_alloc();
            item.res_count = static_cast<int32_t>(resources.size());
        }
        for (size_t i = 0; i < resources.size(); ++i) {
            const ShareResource& resource = *resources[i];
            DLNA_CONTENT_RESOURCE& res = item.res[i];
            res.uri = DupString(std::string(url_base) + resource.Url());
            res.protocol_info.protocol = DupString(resource.Info().protocol);
            res.protocol_info.network = DupString(resource.Info().network);
            res.protocol_info.content_format = DupString(resource.Info().content_format);
            res.protocol_info.additional_info = DupString(resource.Info().additional_info);
            res.size = resource.Size();
        }
        item.didl = DupString(DidlDocument(*this, url_base));
    });
}

std::unique_ptr<ShareObject> ShareItem::Clone(std::string_view url_base) const {
    auto copy = std::make_unique<ShareItem>(Id(), ParentId(), Title());
    copy->SetRestricted(Restricted());
    copy->SetClass(Class());
    if (const PackedTags* tags = Tags()) {
        ItemTags whole = tags->Unpacked();
        if (!whole.album_art.empty()) whole.album_art = std::string(url_base) + whole.album_art;
        copy->SetTags(std::make_unique<const PackedTags>(whole));
    }
    for (const auto& resource : Resources()) {
        auto resource_copy = resource->Clone();
        resource_copy->SetUrl(std::string(url_base) + resource->Url());
        copy->AddResource(std::move(resource_copy));
    }
    return copy;
}
