#pragma once
// A Search request's criteria, parsed once and tried on each object: "*",
// or relations such as `upnp:class derivedfrom "object.item"` joined by
// "and" (binding tighter) and "or", with parentheses.
//
// Text compares without regard to ASCII case; res@size and
// upnp:originalTrackNumber compare as numbers. A property the object lacks,
// or one not known here, matches nothing but `exists false`: TVs ask for
// artists and albums whatever the capabilities say, and an empty answer
// serves them better than an error. A property with several values (one per
// resource) matches when any of them does.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/ObjectProperty.h"

class ShareObject;

class SearchCriteria {
public:
    // The properties with values to find, for GetSearchCapabilities.
    static constexpr const char* kCapabilities =
        "@id,@refID,upnp:class,dc:title,dc:creator,upnp:artist,upnp:album,upnp:genre,dc:date,"
        "upnp:originalTrackNumber,res@protocolInfo,res@size";

    // nullopt for text that is not a criteria (empty text included).
    static std::optional<SearchCriteria> Parse(std::string_view text);

    bool Matches(const ShareObject& object) const;

private:
    enum class Op : uint8_t {
        kAll,
        kAnd,
        kOr,
        kEqual,
        kNotEqual,
        kLess,
        kLessEqual,
        kGreater,
        kGreaterEqual,
        kContains,
        kDoesNotContain,
        kDerivedFrom,
        kExists,
    };
    struct Node {
        Op op = Op::kAll;
        ObjectProperty property = ObjectProperty::kUnknown;
        std::string value;           // folded to lower case
        uint64_t number = 0;         // the value of a numeric comparison
        bool exists = true;          // kExists: true or false
        std::vector<size_t> operands;  // kAnd, kOr
    };
    class Parser;

    bool Evaluate(size_t node, const ShareObject& object) const;
    bool Compare(const Node& node, std::string_view value) const;

    std::vector<Node> nodes_;  // the root last
};
