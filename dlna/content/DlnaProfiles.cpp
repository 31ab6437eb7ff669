#include "content/DlnaProfiles.h"

#include <algorithm>
#include <cctype>

namespace {

// MiniDLNA's flags: DLNA 1.5, HTTP stalling and background transfer, with
// streaming (audio, video) or interactive (images) transfer.
constexpr const char* kStreamingFlags = "01700000000000000000000000000000";
constexpr const char* kInteractiveFlags = "00F00000000000000000000000000000";

// The MIME type without parameters, in lower case.
std::string BaseType(std::string_view mime) {
    std::string base(mime.substr(0, mime.find(';')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return base;
}

bool Fits(DlnaProfiles::PixelSize size, int width, int height) {
    return size.width <= width && size.height <= height;
}

}  // namespace

std::optional<DlnaProfiles::Kind> DlnaProfiles::KindOf(std::string_view mime) {
    if (mime.find("video/") != std::string_view::npos) return Kind::kVideo;
    if (mime.find("audio/") != std::string_view::npos) return Kind::kAudio;
    if (mime.find("image/") != std::string_view::npos) return Kind::kImage;
    return std::nullopt;
}

std::string DlnaProfiles::ProfileName(std::string_view mime, std::string_view extension,
                                      PixelSize size) {
    const std::string type = BaseType(mime);
    std::string ext(extension);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (type == "audio/mpeg") return ext == ".mp2" ? "" : "MP3";
    if (type == "audio/l16") return "LPCM";
    if (type == "audio/mp4" || type == "audio/x-m4a" || type == "audio/m4a") return "AAC_ISO";
    if (type == "image/jpeg" || type == "image/jpg") {
        if (size.width <= 0 || size.height <= 0) return "JPEG_LRG";
        if (Fits(size, 640, 480)) return "JPEG_SM";
        if (Fits(size, 1024, 768)) return "JPEG_MED";
        if (Fits(size, 4096, 4096)) return "JPEG_LRG";
        return "";
    }
    if (type == "image/png") return Fits(size, 4096, 4096) ? "PNG_LRG" : "";
    return "";
}

std::string DlnaProfiles::AdditionalInfo(std::string_view mime, std::string_view extension,
                                         Kind kind, PixelSize size) {
    std::string info;
    if (const std::string profile = ProfileName(mime, extension, size); !profile.empty())
        info = "DLNA.ORG_PN=" + profile + ";";
    info += "DLNA.ORG_OP=01;DLNA.ORG_CI=0;DLNA.ORG_FLAGS=";
    info += kind == Kind::kImage ? kInteractiveFlags : kStreamingFlags;
    return info;
}

const char* DlnaProfiles::TransferMode(Kind kind) {
    return kind == Kind::kImage ? "Interactive" : "Streaming";
}

bool DlnaProfiles::Allows(Kind kind, std::string_view mode) {
    return mode == TransferMode(kind) || mode == "Background";
}
