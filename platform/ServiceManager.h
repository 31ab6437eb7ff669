#pragma once
#include <string>

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

    // Writes "<service>.service" with Type=notify and the given ExecStart
    // (already quoted for systemd), then reloads the manager.
    bool Create(const std::string& service, const std::string& exec_start,
                const std::string& working_directory);
    // Removes the unit file and reloads the manager.
    bool Remove(const std::string& service);

    bool Enable(const std::string& service);
    bool Disable(const std::string& service);
    bool Start(const std::string& service);
    bool Stop(const std::string& service);

    const std::string& UnitDirectory() const { return unit_directory_; }

private:
    bool Systemctl(const std::string& verb, const std::string& service) const;

    std::string unit_directory_;
    std::string systemctl_;
};

// Quotes one word for a systemd command line (ExecStart=): double quotes,
// with backslash, double quote, and the specifier '%' escaped.
std::string QuoteForSystemd(const std::string& word);

// True when this process was started by the service manager for its unit.
bool StartedByServiceManager();

// sd_notify wrappers; harmless (false) outside the service manager.
bool NotifyReady(const std::string& status);
bool NotifyStatus(const std::string& status);
bool NotifyStopping();

}  // namespace platform
