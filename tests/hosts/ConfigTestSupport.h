#pragma once
// A private folder for configuration files, and command lines as main gets them.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/dlna-config-XXXXXX";
        path_ = mkdtemp(pattern) ? pattern : "";
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `name` in the folder with `mode`; its full path.
    std::string Write(const std::string& name, const std::string& text, mode_t mode = 0644) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << text;
        chmod(file.c_str(), mode);
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// argv for a parser: "program" and `arguments`, kept alive with it.
class Argv {
public:
    explicit Argv(std::vector<std::string> arguments) : strings_(std::move(arguments)) {
        strings_.insert(strings_.begin(), "program");
        for (std::string& s : strings_) pointers_.push_back(s.data());
        pointers_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(strings_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

// The "#key = value" lines of an example file, uncommented.
inline std::vector<std::string> ExampleLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (line.size() > 1 && line[0] == '#' && line[1] != ' ' && line.find('=') != line.npos)
            lines.push_back(line.substr(1));
    return lines;
}
