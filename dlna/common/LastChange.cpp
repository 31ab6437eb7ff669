#include "common/LastChange.h"

#include <algorithm>

#include "Xml.h"

namespace {

// RenderingControl's per-channel variables; "Master" is the only channel.
bool PerChannel(const std::string& name) { return name == "Volume" || name == "Mute"; }

}  // namespace

std::string LastChangeDocument(const std::string& name_space, const InstanceValues& instances) {
    std::string out = "<Event xmlns=\"" + name_space + "\">";
    for (const auto& [instance, values] : instances) {
        out += "<InstanceID val=\"" + std::to_string(instance) + "\">";
        for (const auto& [name, value] : values) {
            out += "<" + name;
            if (PerChannel(name)) out += " channel=\"Master\"";
            out += " val=\"" + xml::EscapedText(value) + "\"/>";
        }
        out += "</InstanceID>";
    }
    return out + "</Event>";
}

void MergeChanges(InstanceValues& pending, uint32_t instance, const EventValues& changes) {
    EventValues& values = pending[instance];
    for (const auto& change : changes) {
        auto same = std::find_if(values.begin(), values.end(),
                                 [&](const auto& value) { return value.first == change.first; });
        if (same != values.end())
            same->second = change.second;
        else
            values.push_back(change);
    }
}
