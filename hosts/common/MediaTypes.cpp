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
    {"mpg", "mpeg"}, {"avi", "x-msvideo"}, {"mp4", "mpeg"}, {"asf", "x-ms-asf"},
    {"wmv", "x-msvideo"}, {"mkv", "x-matroska"}, {"3gp", "3gpp"}, {"ask", ""},
    {"dat", ""}, {"divx", ""}, {"f4v", ""}, {"flv", ""}, {"m2ts", ""}, {"m2v", ""},
    {"m4v", ""}, {"kmv", ""}, {"mlv", ""}, {"mov", ""}, {"mpe", ""}, {"mpeg", ""},
    {"mts", ""}, {"ogm", ""}, {"pmp", ""}, {"qt", ""}, {"ra", ""}, {"rm", ""},
    {"rmvb", ""}, {"swf", ""}, {"trp", ""}, {"ts", ""}, {"tp", ""}, {"vob", ""},
    {"wmvhd", ""}, {"xvid", ""}, {"h264", ""},
}};

constexpr std::array<Entry, 21> kAudio{{
    {"mp3", "mpeg"}, {"wav", ""}, {"wma", "x-ms-wma"}, {"ac3", ""}, {"aac", ""},
    {"aif", "aiff"}, {"amr", ""}, {"ape", ""}, {"cda", ""}, {"flac", ""}, {"m4a", ""},
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
