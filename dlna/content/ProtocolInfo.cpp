#include "content/ProtocolInfo.h"

#include <algorithm>
#include <cstdlib>

#include "common/CString.h"

bool ProtocolInfo::IsComplete() const {
    return !protocol.empty() && !network.empty() && !content_format.empty() &&
           !additional_info.empty();
}

std::string ProtocolInfo::ToString() const {
    std::string text;
    text.reserve(protocol.size() + network.size() + content_format.size() + additional_info.size() +
                 3);
    text.append(protocol).append(1, ':').append(network).append(1, ':');
    text.append(content_format).append(1, ':').append(additional_info);
    return text;
}

ProtocolInfo ProtocolInfo::Parse(std::string_view text) {
    size_t cut[3];
    size_t from = 0;
    for (size_t& at : cut) {
        at = text.find(':', from);
        if (at == std::string_view::npos) return {};
        from = at + 1;
    }
    const std::string_view info = text.substr(from, text.find(':', from) - from);
    if (info.empty()) return {};
    return {std::string(text.substr(0, cut[0])),
            std::string(text.substr(cut[0] + 1, cut[1] - cut[0] - 1)),
            std::string(text.substr(cut[1] + 1, cut[2] - cut[1] - 1)), std::string(info)};
}

bool ProtocolInfoList::Add(Entry info) {
    if (!info || !info->IsComplete()) return false;
    if (std::any_of(entries_.begin(), entries_.end(),
                    [&](const Entry& entry) { return *entry == *info; }))
        return false;
    entries_.push_back(std::move(info));
    return true;
}

ProtocolInfoList ProtocolInfoList::Parse(std::string_view text) {
    ProtocolInfoList list;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view piece = text.substr(0, comma);
        if (piece.empty()) break;
        auto info = std::make_shared<const ProtocolInfo>(ProtocolInfo::Parse(piece));
        if (info->IsComplete()) list.entries_.push_back(std::move(info));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return list;
}

bool ProtocolInfoList::FromArray(const DLNA_PROTOCOL_INFO* infos, unsigned count,
                                 ProtocolInfoList* list) {
    if (count > 0 && !infos) return false;
    for (unsigned i = 0; i < count; ++i) {
        const DLNA_PROTOCOL_INFO& info = infos[i];
        if (!info.protocol || !info.network || !info.content_format || !info.additional_info)
            return false;
    }
    ProtocolInfoList result;
    for (unsigned i = 0; i < count; ++i)
        result.Add(std::make_shared<const ProtocolInfo>(
            ProtocolInfo{infos[i].protocol, infos[i].network, infos[i].content_format,
                         infos[i].additional_info}));
    *list = std::move(result);
    return true;
}

std::string ProtocolInfoList::ToString() const {
    std::string text;
    for (const Entry& entry : entries_) {
        if (!text.empty()) text += ',';
        text += entry->ToString();
    }
    return text;
}

DLNA_PROTOCOL_INFO* ProtocolInfoList::ToArray() const {
    if (entries_.empty()) return nullptr;
    auto* array =
        static_cast<DLNA_PROTOCOL_INFO*>(std::calloc(entries_.size(), sizeof(DLNA_PROTOCOL_INFO)));
    if (!array) throw std::bad_alloc();
    try {
        for (size_t i = 0; i < entries_.size(); ++i) {
            array[i].protocol = DupString(entries_[i]->protocol);
            array[i].network = DupString(entries_[i]->network);
            array[i].content_format = DupString(entries_[i]->content_format);
            array[i].additional_info = DupString(entries_[i]->additional_info);
        }
    } catch (...) {
        DLNA_FreeProtocolInfo(array, static_cast<unsigned>(entries_.size()));
        throw;
    }
    return array;
}
