#include "ServerConfig.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ConfigFile.h"
#include "InterfaceAddress.h"

namespace fs = std::filesystem;

const char kDefaultServerConfig[] = "/etc/dlna-server.conf";

namespace {

// The first line of a file only its owner may read and write: a password
// others can read is no password.
bool ReadPasswordFile(const std::string& path, std::string* password, std::string* why) {
    struct stat info{};
    if (stat(path.c_str(), &info) != 0) {
        *why = "password_file " + path + ": " + std::strerror(errno);
        return false;
    }
    if (info.st_mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH)) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        *why = "password_file " + path + " is open to others (mode " + mode +
               "); chmod 600 " + path;
        return false;
    }
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) {
        *why = "password_file " + path + ": cannot read its first line";
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
        *why = "password_file " + path + ": its first line is empty";
        return false;
    }
    *password = line;
    return true;
}

// "PATH [recursive] [watch]": the flags are the last words, so a path may
// hold spaces (one ending in such a word is written with a trailing "/").
bool ParseFolder(const std::string& value, SharedFolder* folder, std::string* why) {
    std::string path = value;
    for (;;) {
        const size_t space = path.find_last_of(" \t");
        if (space == std::string::npos) break;
        const std::string word = path.substr(space + 1);
        if (word == "recursive")
            folder->recursive = true;
        else if (word == "watch")
            folder->watch = true;
        else
            break;
        path.erase(path.find_last_not_of(" \t", space) + 1);
    }
    if (path == "recursive" || path == "watch") {
        *why = "folder wants a path before its flags, not \"" + value + "\"";
        return false;
    }
    folder->path = path;
    return true;
}

// Keys that set one thing share its name, so only one of them may be given;
// folder may be given any number of times.
std::string Setting(const std::string& key) {
    if (key == "folder") return "";
    if (key == "interface") return "ip";
    if (key == "password_file") return "password";
    return key;
}

bool ApplyKey(const std::string& key, const std::string& value, const fs::path& base,
              ServerOptions* options, std::string* why) {
    if (key == "name") {
        options->name = value;
    } else if (key == "password") {
        options->password = value;
    } else if (key == "password_file") {
        return ReadPasswordFile(config_value::Path(base, value), &options->password, why);
    } else if (key == "port") {
        uint16_t port = 0;
        if (!config_value::Port(value, &port)) {
            *why = "port wants a number from 0 to 65535, not \"" + value + "\"";
            return false;
        }
        options->port = port;
    } else if (key == "ip") {
        return Ipv4Address(value, &options->ip, why);
    } else if (key == "interface") {
        return InterfaceAddress(value, &options->ip, why);
    } else if (key == "desc") {
        options->description = config_value::Path(base, value);
    } else if (key == "folder") {
        SharedFolder folder;
        if (!ParseFolder(value, &folder, why)) return false;
        folder.path = config_value::Path(base, folder.path);
        std::error_code ec;
        if (!fs::is_directory(folder.path, ec)) {
            *why = "no such folder: " + folder.path;
            return false;
        }
        options->folders.push_back(folder);
    } else if (key == "recursive" || key == "watch") {
        bool* flag = key == "recursive" ? &options->recursive : &options->watch;
        if (!config_value::YesNo(value, flag)) {
            *why = key + " wants yes or no, not \"" + value + "\"";
            return false;
        }
    } else if (key == "log_level") {
        if (value != "error" && value != "warning" && value != "info") {
            *why = "log_level wants error, warning or info, not \"" + value + "\"";
            return false;
        }
        options->log_level = value;
    } else {
        *why = "unknown key \"" + key + "\"";
        return false;
    }
    return true;
}

}  // namespace

bool ReadServerConfig(const std::string& path, bool required, ServerOptions* options,
                      std::string* error) {
    return ConfigFile().ReadAndApply(
        path, required, Setting,
        [options](const ConfigFile::Entry& entry, const fs::path& folder, std::string* why) {
            return ApplyKey(entry.key, entry.value, folder, options, why);
        },
        error);
}
