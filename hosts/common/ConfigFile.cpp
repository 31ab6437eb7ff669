#include "ConfigFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::string Trimmed(const std::string& text) {
    const char* space = " \t\r\f\v";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

}  // namespace

bool ConfigFile::Read(const std::string& path, bool required, std::string* error) {
    path_ = path;
    entries_.clear();
    given_.clear();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        if (!required) return true;
        *error = path + ": no such file";
        return false;
    }
    // Not a regular-file test: /dev/null is the usual way to name none.
    if (std::filesystem::is_directory(status)) {
        *error = path + ": is a directory, not a configuration file";
        return false;
    }
    std::ifstream in(path);
    if (!in) {
        *error = path + ": cannot read it: " + std::strerror(errno);
        return false;
    }
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string text = Trimmed(line);
        if (text.empty() || text[0] == '#') continue;
        const size_t equals = text.find('=');
        Entry entry{number, Trimmed(text.substr(0, equals)), ""};
        if (equals == std::string::npos) {
            *error = Where(entry) + "expected key=value, not \"" + text + "\"";
            return false;
        }
        entry.value = Trimmed(text.substr(equals + 1));
        if (entry.key.empty()) {
            *error = Where(entry) + "no key before \"=\"";
            return false;
        }
        if (entry.value.empty()) {
            *error = Where(entry) + "\"" + entry.key + "\" has no value";
            return false;
        }
        entries_.push_back(std::move(entry));
    }
    if (in.bad()) {
        *error = path + ": cannot read it: " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string ConfigFile::Where(const Entry& entry) const {
    return path_ + ":" + std::to_string(entry.line) + ": ";
}

bool ConfigFile::Once(const std::string& setting, const Entry& entry, std::string* why) {
    const auto [it, first] = given_.emplace(setting, entry);
    if (first) return true;
    const Entry& before = it->second;
    const std::string line = std::to_string(before.line);
    *why = before.key == entry.key
               ? entry.key + " is given twice (line " + line + " too); keep one"
               : entry.key + " and " + before.key + " (line " + line +
                     ") set the same thing; keep one";
    return false;
}

bool ConfigFile::ReadAndApply(const std::string& path, bool required, const SettingOf& setting,
                              const Apply& apply, std::string* error) {
    if (!Read(path, required, error)) return false;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    for (const Entry& entry : entries_) {
        std::string why;
        const std::string once = setting(entry.key);
        if ((!once.empty() && !Once(once, entry, &why)) || !apply(entry, folder, &why)) {
            *error = Where(entry) + why;
            return false;
        }
    }
    return true;
}

namespace config_value {

bool YesNo(const std::string& text, bool* value) {
    for (const char* yes : {"yes", "true", "on", "1"}) {
        if (text == yes) {
            *value = true;
            return true;
        }
    }
    for (const char* no : {"no", "false", "off", "0"}) {
        if (text == no) {
            *value = false;
            return true;
        }
    }
    return false;
}

bool Port(const std::string& text, uint16_t* port) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

std::string Path(const std::filesystem::path& folder, const std::string& text) {
    return std::filesystem::path(text).is_absolute()
               ? text
               : (folder / text).lexically_normal().string();
}

}  // namespace config_value
