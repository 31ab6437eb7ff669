#pragma once
// The hosts' configuration files, in minidlna.conf's manner: one `key=value`
// a line, whitespace around key and value ignored, `#` starting a comment
// line, blank lines skipped. Values are taken as written (no quotes, no
// comment after a value: a name may hold `#`).
#include <cstdint>
#include <map>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class ConfigFile {
public:
    struct Entry {
        int line = 0;
        std::string key;
        std::string value;
    };

    // Reads `path`. A file that does not exist reads as empty unless
    // `required`. False with one line, "PATH: why" or "PATH:N: why", for an
    // unreadable file or a line that is not `key=value` with both present.
    bool Read(const std::string& path, bool required, std::string* error);

    const std::vector<Entry>& entries() const { return entries_; }
    // "PATH:N: " for a complaint about `entry`.
    std::string Where(const Entry& entry) const;
    // False with `why` when `setting` (a key, or the keys that set one
    // thing, like ip and interface) was given before: two values in one file
    // are a mistake, not an override.
    bool Once(const std::string& setting, const Entry& entry, std::string* why);

    // Reads `path` and hands each entry in turn to `apply` with the file's
    // folder (relative paths in values are taken from there), after Once
    // for `setting(key)`; an empty setting may be given any number of times.
    // False with "PATH:N: why" at the first entry refused.
    using SettingOf = std::function<std::string(const std::string& key)>;
    using Apply = std::function<bool(const Entry& entry, const std::filesystem::path& folder,
                                     std::string* why)>;
    bool ReadAndApply(const std::string& path, bool required, const SettingOf& setting,
                      const Apply& apply, std::string* error);

private:
    std::string path_;
    std::vector<Entry> entries_;
    std::map<std::string, Entry> given_;  // setting -> where it was given
};

// The values keys share. Each is false for text it does not take.
namespace config_value {
// yes/no (also true/false, on/off, 1/0).
bool YesNo(const std::string& text, bool* value);
// 0 to 65535, digits only.
bool Port(const std::string& text, uint16_t* port);
// A path as written in the file at `folder`: relative ones are taken from
// that folder, not from wherever the program was started.
std::string Path(const std::filesystem::path& folder, const std::string& text);
}  // namespace config_value
