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

void ShareObject::OpenXml(std::string& out) const {
    out.append(1, '<').append(ElementName()).append(" id=\"");
    xmltext::AppendEscaped(out, id_);
    out += "\" parentID=\"";
    xmltext::AppendEscaped(out, parent_id_);
    out += restricted_ ? "\" restricted=\"1\">" : "\" restricted=\"0\">";
    AppendElement(out, "dc:title", title_);
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

void ShareItem::ToXml(std::string& out, std::string_view url_base) const {
    OpenXml(out);
    for (const auto& resource : resources_) resource->ToXml(out, url_base);
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
        if (!resources_.empty()) {
            item.res = static_cast<DLNA_CONTENT_RESOURCE*>(
                std::calloc(resources_.size(), sizeof(DLNA_CONTENT_RESOURCE)));
            if (!item.res) throw std::bad_alloc();
            item.res_count = static_cast<int32_t>(resources_.size());
        }
        for (size_t i = 0; i < resources_.size(); ++i) {
            const ShareResource& resource = *resources_[i];
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
    copy->SetClass(class_);
    for (const auto& resource : resources_) {
        auto resource_copy = resource->Clone();
        resource_copy->SetUrl(std::string(url_base) + resource->Url());
        copy->AddResource(std::move(resource_copy));
    }
    return copy;
}
