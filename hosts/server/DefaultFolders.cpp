#include "DefaultFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

// XDG_MUSIC_DIR="$HOME/Music" lines; "$HOME/" is the only expansion the
// format allows.
std::map<std::string, std::string> ReadUserDirs(const fs::path& file, const std::string& home) {
    std::map<std::string, std::string> dirs;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const auto equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        std::string value = line.substr(equals + 1);
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        else if (value.empty() || value[0] != '/')
            continue;
        dirs[line.substr(0, equals)] = value;
    }
    return dirs;
}

}  // namespace

std::vector<std::string> DefaultMediaFolders() {
    const char* home_env = std::getenv("HOME");
    if (!home_env || !*home_env) return {};
    const std::string home = home_env;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const fs::path config_dir = config && *config ? fs::path(config) : fs::path(home) / ".config";
    const auto dirs = ReadUserDirs(config_dir / "user-dirs.dirs", home);

    std::vector<std::string> folders;
    const std::pair<const char*, const char*> wanted[] = {
        {"XDG_MUSIC_DIR", "Music"}, {"XDG_VIDEOS_DIR", "Videos"}, {"XDG_PICTURES_DIR", "Pictures"}};
    for (const auto& [key, fallback] : wanted) {
        const auto it = dirs.find(key);
        const fs::path folder = it != dirs.end() ? fs::path(it->second) : fs::path(home) / fallback;
        std::error_code ec;
        // A user-dirs entry of $HOME/ means "not set".
        if (fs::equivalent(folder, home, ec) || !fs::is_directory(folder, ec)) continue;
        folders.push_back(folder.lexically_normal().string());
    }
    return folders;
}
