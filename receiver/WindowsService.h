#pragma once
#include <string>
#include <vector>

#include "ServiceManager.h"
#include "SystemService.h"

// The service binding. A systemd unit named after the executable stands for
// the service; SIGTERM from the manager is the stop request; SIGHUP, SIGTERM
// and SIGINT in console mode are the console close event.
class WindowsService : public SystemService {
public:
    explicit WindowsService(platform::ServiceManager service_manager = platform::ServiceManager());
    ~WindowsService() override;
    WindowsService(const WindowsService&) = delete;
    WindowsService& operator=(const WindowsService&) = delete;

    bool Install() override;
    bool Uninstall() override;
    bool Run() override;
    bool WaitForQuit() override;
    bool SetConsoleCtrl() override;

    const std::string& ServiceName() const { return service_name; }

protected:
    // The service main routine: runs the device until the stop request.
    void ServiceMain();

private:
    bool RemoveService();
    std::vector<std::string> ServiceCommandLine(const std::string& executable) const;
    void ConsoleClose();

    platform::ServiceManager manager;
    std::string service_name;
};
