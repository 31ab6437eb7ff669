#include "content/MediaFileInfo.h"

#include <charconv>

namespace {

template <class Number>
void Put(std::string& out, const char* name, Number value) {
    if (value) out.append(name).append(1, '=').append(std::to_string(value)) += '\n';
}

void Put(std::string& out, const char* name, const std::string& value) {
    if (value.empty()) return;
    out.append(name) += '=';
    for (char c : value) out += c == '\n' || c == '\r' ? ' ' : c;
    out += '\n';
}

template <class Number>
Number Read(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : Number{};
}

}  // namespace

std::string FormatMediaFileInfo(const MediaFileInfo& info) {
    std::string out;
    Put(out, "duration_ms", info.duration_ms);
    Put(out, "bitrate", info.bitrate);
    Put(out, "sample_rate", info.sample_rate);
    Put(out, "channels", info.channels);
    Put(out, "width", info.width);
    Put(out, "height", info.height);
    Put(out, "title", info.title);
    Put(out, "artist", info.artist);
    Put(out, "album", info.album);
    Put(out, "genre", info.genre);
    Put(out, "date", info.date);
    Put(out, "track", info.track);
    Put(out, "profile", info.profile);
    Put(out, "has_cover", static_cast<int>(info.has_cover));
    return out;
}

MediaFileInfo ParseMediaFileInfo(std::string_view text) {
    MediaFileInfo info;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, equals), value = line.substr(equals + 1);
        if (name == "duration_ms") info.duration_ms = Read<int32_t>(value);
        else if (name == "bitrate") info.bitrate = Read<uint32_t>(value);
        else if (name == "sample_rate") info.sample_rate = Read<uint32_t>(value);
        else if (name == "channels") info.channels = Read<uint32_t>(value);
        else if (name == "width") info.width = Read<uint32_t>(value);
        else if (name == "height") info.height = Read<uint32_t>(value);
        else if (name == "title") info.title = value;
        else if (name == "artist") info.artist = value;
        else if (name == "album") info.album = value;
        else if (name == "genre") info.genre = value;
        else if (name == "date") info.date = value;
        else if (name == "track") info.track = Read<uint32_t>(value);
        else if (name == "profile") info.profile = value;
        else if (name == "has_cover") info.has_cover = value == "1";
    }
    return info;
}
