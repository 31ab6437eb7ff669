#include "MediaTypes.h"

#include <array>
#include <cctype>

namespace sharing {

namespace {

struct Entry {
    std::string_view extension;
    std::string_view subtype;  // empty: the extension itself
};

constexpr std::array<Entry, 35> kVideo{{
    // MP4, M4A and transport streams as renderers know them: a TV
    // that reads video/mpeg expects an MPEG program stream.
    {"mpg", "mpeg"}, {"avi", "x-msvideo"}, {"mp4", "mp4"}, {"asf", "x-ms-asf"},
    {"wmv", "x-msvideo"}, {"mkv", "x-matroska"}, {"3gp", "3gpp"}, {"ask", ""},
    {"dat", ""}, {"divx", ""}, {"f4v", ""}, {"flv", ""}, {"m2ts", "vnd.dlna.mpeg-tts"},
    {"m2v", ""}, {"m4v", "mp4"}, {"kmv", ""}, {"mlv", ""}, {"mov", "quicktime"}, {"mpe", ""},
    {"mpeg", ""}, {"mts", "vnd.dlna.mpeg-tts"}, {"ogm", ""}, {"pmp", ""}, {"qt", "quicktime"},
    {"ra", ""}, {"rm", ""}, {"rmvb", ""}, {"swf", ""}, {"trp", "mpeg"}, {"ts", "mpeg"},
    {"tp", "mpeg"}, {"vob", "mpeg"},
    {"wmvhd", ""}, {"xvid", ""}, {"h264", ""},
}};

constexpr std::array<Entry, 21> kAudio{{
    {"mp3", "mpeg"}, {"wav", ""}, {"wma", "x-ms-wma"}, {"ac3", ""}, {"aac", ""},
    {"aif", "aiff"}, {"amr", ""}, {"ape", ""}, {"cda", ""}, {"flac", ""}, {"m4a", "mp4"},
    {"mid", "midi"}, {"mka", ""}, {"mp2", ""}, {"mpc", ""}, {"ogg", ""}, {"pcm", ""},
    {"snd", ""}, {"svx", ""}, {"voc", ""}, {"vqf", ""},
}};

constexpr std::array<Entry, 8> kImage{{
    {"jpg", "jpeg"}, {"jpeg", ""}, {"gif", ""}, {"png", ""}, {"tiff", ""}, {"bmp", ""},
    {"ico", ""}, {"mpo", ""},
}};

template <size_t N>
bool Lookup(const std::array<Entry, N>& table, std::string_view prefix,
            const std::string& extension, std::string* out) {
    for (const Entry& entry : table) {
        if (entry.extension != extension) continue;
        *out = std::string(prefix);
        *out += entry.subtype.empty() ? entry.extension : entry.subtype;
        return true;
    }
    return false;
}

}  // namespace

std::string MimeTypeFor(std::string_view file_name) {
    const auto slash = file_name.find_last_of('/');
    if (slash != std::string_view::npos) file_name.remove_prefix(slash + 1);
    const auto dot = file_name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    std::string extension;
    for (char c : file_name.substr(dot + 1))
        extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension.empty()) return {};
    std::string mime;
    if (Lookup(kVideo, "video/", extension, &mime) || Lookup(kAudio, "audio/", extension, &mime) ||
        Lookup(kImage, "image/", extension, &mime))
        return mime;
    return {};
}

}  // namespace sharing
