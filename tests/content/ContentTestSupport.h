#pragma once
// Files to share, in a folder of their own that goes with the test.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "DLNA.h"

class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("halvorn-content-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // A new file of that name holding `content`; its path.
    std::string File(const std::string& name, const std::string& content = "x") const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline DLNA_SHARE_OBJECT Share(const char* mime, uint64_t size = 1, int32_t duration = 0) {
    return DLNA_SHARE_OBJECT{mime, size, duration};
}

inline std::string Document(const std::string& fragments) {
    return "<DIDL-Lite xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\""
           " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
           " xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\""
           " xmlns:dlna=\"urn:schemas-dlna-org:metadata-1-0/\">" +
           fragments + "</DIDL-Lite>";
}
