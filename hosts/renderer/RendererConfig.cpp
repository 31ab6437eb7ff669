#include "RendererConfig.h"

#include <arpa/inet.h>

#include <cstdlib>
#include <filesystem>

#include "ConfigFile.h"
#include "InterfaceAddress.h"

namespace fs = std::filesystem;

namespace {

bool ApplyKey(const std::string& key, const std::string& value, const fs::path& base,
              Options* options, std::string* why) {
    if (key == "name") {
        options->name = value;
    } else if (key == "desc") {
        options->description = config_value::Path(base, value);
    } else if (key == "ip") {
        return Ipv4Address(value, &options->address, why);
    } else if (key == "interface") {
        return InterfaceAddress(value, &options->address, why);
    } else if (key == "port") {
        if (!config_value::Port(value, &options->port)) {
            *why = "port wants a number from 0 to 65535, not \"" + value + "\"";
            return false;
        }
    } else if (key == "audio_sink") {
        options->audio_sink = value;
    } else if (key == "video_sink") {
        options->video_sink = value;
    } else if (key == "null") {
        if (!config_value::YesNo(value, &options->null_host)) {
            *why = "null wants yes or no, not \"" + value + "\"";
            return false;
        }
    } else {
        *why = "unknown key \"" + key + "\"";
        return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> DefaultRendererConfigs() {
    std::vector<std::string> files{"/etc/dlna-renderer.conf"};
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // The XDG base directory rules ignore a relative XDG_CONFIG_HOME.
    if (config && config[0] == '/')
        files.push_back(std::string(config) + "/dlna-renderer.conf");
    else if (home && *home)
        files.push_back(std::string(home) + "/.config/dlna-renderer.conf");
    return files;
}

bool ReadRendererConfig(const std::string& path, bool required, Options* options,
                        std::string* error) {
    // ip and interface both set the address.
    const auto setting = [](const std::string& key) { return key == "interface" ? "ip" : key; };
    return ConfigFile().ReadAndApply(
        path, required, setting,
        [options](const ConfigFile::Entry& entry, const fs::path& folder, std::string* why) {
            return ApplyKey(entry.key, entry.value, folder, options, why);
        },
        error);
}
