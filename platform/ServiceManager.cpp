#include "ServiceManager.h"

#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-login.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

extern char** environ;

namespace platform {

namespace fs = std::filesystem;

namespace {

// Unit-file values other than command lines are taken verbatim to the line
// end, but specifiers are still expanded.
std::string EscapeSpecifiers(const std::string& value) {
    std::string escaped;
    for (char c : value) {
        escaped += c;
        if (c == '%') escaped += '%';
    }
    return escaped;
}

bool HasLineBreak(const std::string& value) {
    return value.find_first_of("\r\n") != std::string::npos;
}

// systemd runs only absolute executable paths free of quotes, backslashes and
// control characters.
bool IsRunnableByManager(const std::string& executable) {
    if (executable.empty() || executable.front() != '/') return false;
    for (unsigned char c : executable) {
        if (c < 0x20 || c == 0x7f || c == '"' || c == '\\' || c == '\'') return false;
    }
    return true;
}

std::string ExecStart(const std::vector<std::string>& command) {
    std::string line = "\"" + EscapeSpecifiers(command.front()) + "\"";
    for (auto word = command.begin() + 1; word != command.end(); ++word)
        line += " " + QuoteForSystemd(*word);
    return line;
}

std::string UnitName(const std::string& service) {
    return service + ".service";
}

}  // namespace

std::string ServiceManager::DefaultUnitDirectory() {
    const char* unit_path = std::getenv("SYSTEMD_UNIT_PATH");
    if (unit_path != nullptr) {
        std::string first(unit_path);
        first = first.substr(0, first.find(':'));
        if (!first.empty()) return first;
    }
    return "/etc/systemd/system";
}

ServiceManager::ServiceManager(std::string unit_directory, std::string systemctl)
    : unit_directory_(std::move(unit_directory)), systemctl_(std::move(systemctl)) {}

std::string ServiceManager::UnitPath(const std::string& service) const {
    return (fs::path(unit_directory_) / UnitName(service)).string();
}

bool ServiceManager::Exists(const std::string& service) const {
    std::error_code error;
    // A dangling link still occupies the name, so look at the link itself.
    return fs::exists(fs::symlink_status(UnitPath(service), error));
}

bool ServiceManager::Create(const std::string& service, const std::vector<std::string>& command,
                            const std::string& working_directory) {
    if (command.empty() || !IsRunnableByManager(command.front()) || HasLineBreak(service) ||
        HasLineBreak(working_directory))
        return false;
    // WorkingDirectory= is not unquoted by systemd: the path stands bare.
    // A crash in a library, or the memory cap (libupnp buffers a large
    // request body whole before refusing it): the service comes back, and
    // no start limit can stop it for good.
    const std::string unit =
        "[Unit]\nDescription=" + EscapeSpecifiers(service) +
        "\nStartLimitIntervalSec=0\n\n[Service]\nType=notify\nExecStart=" + ExecStart(command) +
        "\nWorkingDirectory=" + EscapeSpecifiers(working_directory) +
        "\nRestart=on-failure\nRestartSec=1\nMemoryMax=256M"
        "\n\n[Install]\nWantedBy=multi-user.target\n";

    // Written aside and renamed, so a reload never sees half a unit.
    const std::string path = UnitPath(service);
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << unit;
        file.close();
        if (!file) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return Systemctl({"daemon-reload"});
}

bool ServiceManager::Remove(const std::string& service) {
    std::error_code error;
    fs::remove(UnitPath(service), error);
    if (error) return false;
    return Systemctl({"daemon-reload"});
}

bool ServiceManager::Enable(const std::string& service) {
    return Systemctl({"enable", UnitName(service)});
}

bool ServiceManager::Disable(const std::string& service) {
    return Systemctl({"disable", UnitName(service)});
}

bool ServiceManager::Start(const std::string& service) {
    return Systemctl({"start", UnitName(service)});
}

bool ServiceManager::Stop(const std::string& service) {
    return Systemctl({"stop", UnitName(service)});
}

bool ServiceManager::Systemctl(const std::vector<std::string>& arguments) const {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(systemctl_.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    if (posix_spawnp(&child, systemctl_.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string QuoteForSystemd(const std::string& word) {
    std::string quoted = "\"";
    for (unsigned char c : word) {
        switch (c) {
            case '\\':
                quoted += "\\\\";
                break;
            case '"':
                quoted += "\\\"";
                break;
            case '%':
                quoted += "%%";
                break;
            case '$':
                quoted += "$$";
                break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char escape[5];
                    std::snprintf(escape, sizeof escape, "\\x%02x", c);
                    quoted += escape;
                } else {
                    quoted += static_cast<char>(c);
                }
        }
    }
    return quoted + "\"";
}

std::string ExecutablePath() {
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

bool StartedByServiceManager(const std::string& service) {
    const char* socket = std::getenv("NOTIFY_SOCKET");
    if (socket == nullptr || *socket == '\0') return false;
    char* unit = nullptr;
    if (sd_pid_get_unit(0, &unit) < 0) return false;
    std::unique_ptr<char, decltype(&std::free)> owned(unit, &std::free);
    return UnitName(service) == unit;
}

bool NotifyReady(const std::string& status) {
    return sd_notifyf(0, "READY=1\nSTATUS=%s", status.c_str()) > 0;
}

bool NotifyStatus(const std::string& status) {
    return sd_notifyf(0, "STATUS=%s", status.c_str()) > 0;
}

bool NotifyStopping() {
    return sd_notify(0, "STOPPING=1") > 0;
}

}  // namespace platform
