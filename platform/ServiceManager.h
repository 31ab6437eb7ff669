#pragma once
#include <string>
#include <vector>

namespace platform {

// The system service manager as seen by a program that installs itself as a
// service: a systemd unit file in a unit directory, driven through systemctl.
// Both the directory and the systemctl program are injectable so that tests
// never touch the machine's real service manager.
class ServiceManager {
public:
    // Unit directory: /etc/systemd/system unless SYSTEMD_UNIT_PATH names one
    // (its first entry), as systemd itself reads it.
    static std::string DefaultUnitDirectory();

    explicit ServiceManager(std::string unit_directory = DefaultUnitDirectory(),
                            std::string systemctl = "systemctl");

    std::string UnitPath(const std::string& service) const;
    bool Exists(const std::string& service) const;

    // Writes "<service>.service" with Type=notify that runs `command` (an
    // absolute executable path, then the arguments) in `working_directory`,
    // then reloads the manager. Fails on an executable path systemd refuses.
    bool Create(const std::string& service, const std::vector<std::string>& command,
                const std::string& working_directory);
    // Removes the unit file and reloads the manager; true when the file is gone.
    bool Remove(const std::string& service);

    bool Enable(const std::string& service);
    bool Disable(const std::string& service);
    bool Start(const std::string& service);
    bool Stop(const std::string& service);

    const std::string& UnitDirectory() const { return unit_directory_; }

private:
    bool Systemctl(const std::vector<std::string>& arguments) const;

    std::string unit_directory_;
    std::string systemctl_;
};

// Quotes one argument for a systemd command line (ExecStart=): double quotes,
// with backslash, double quote and control characters escaped, '%' doubled
// (specifiers) and '$' doubled (variable expansion). Not for the executable
// path: systemd expands no variables there.
std::string QuoteForSystemd(const std::string& word);

// Full path of the running executable; empty when it cannot be read.
std::string ExecutablePath();

// True when this process is the main process the service manager started for
// "<service>.service": it was handed a notification socket (Type=notify) and
// its control group belongs to that unit. Children of other services inherit
// the socket, and INVOCATION_ID is inherited even by login shells, so neither
// variable alone tells a service start from a start by hand.
bool StartedByServiceManager(const std::string& service);

// sd_notify wrappers; harmless (false) outside the service manager.
bool NotifyReady(const std::string& status);
bool NotifyStatus(const std::string& status);
bool NotifyStopping();

}  // namespace platform
