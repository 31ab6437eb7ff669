#pragma once
// How a resource is delivered: "protocol:network:content_format:additional_info",
// for example "http-get:*:audio/mpeg:*".
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "DLNA.h"

struct ProtocolInfo {
    std::string protocol;
    std::string network;
    std::string content_format;
    std::string additional_info;

    // All four parts non-empty.
    bool IsComplete() const;
    std::string ToString() const;
    // The parts around the first three ":"; a fourth ":" ends the last part.
    // Fewer than three separators or an empty last part give an all-empty
    // value.
    static ProtocolInfo Parse(std::string_view text);

    friend bool operator==(const ProtocolInfo&, const ProtocolInfo&) = default;
};

// An ordered list of shared, immutable values.
class ProtocolInfoList {
public:
    using Entry = std::shared_ptr<const ProtocolInfo>;

    // Appends a complete value that is not in the list yet; false otherwise.
    bool Add(Entry info);
    // Pieces between "," from the left, each kept when complete (repeats
    // included); the first empty piece ends the list.
    static ProtocolInfoList Parse(std::string_view text);
    // What a host hands in: false when any entry has a null string, leaving
    // `list` as it was; otherwise `list` holds the entries as Add keeps them.
    static bool FromArray(const DLNA_PROTOCOL_INFO* infos, unsigned count, ProtocolInfoList* list);

    // The entries' text forms joined by ","; empty for an empty list.
    std::string ToString() const;
    // A new array with one entry per value, each string a new copy; null for
    // an empty list. Released with DLNA_FreeProtocolInfo and Size().
    DLNA_PROTOCOL_INFO* ToArray() const;

    const std::vector<Entry>& Entries() const { return entries_; }
    size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    void Clear() { entries_.clear(); }

private:
    std::vector<Entry> entries_;
};
