#include "WindowsService.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <mutex>

#include "EventLog.h"
#include "TerminationSignals.h"

namespace {

// The console close handler reaches the instance only through this, and not
// at all once the instance is gone.
std::mutex instance_mutex;
WindowsService* instance = nullptr;

constexpr std::chrono::seconds kAliveInterval{10};

// What the original platform's dispatcher reports when the process was not
// started by the service controller (ERROR_FAILED_SERVICE_CONTROLLER_CONNECT).
constexpr int kNotStartedByServiceManager = 1063;

std::string NameOfExecutable(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    const std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace

WindowsService::WindowsService(platform::ServiceManager service_manager)
    : manager(std::move(service_manager)),
      service_name(NameOfExecutable(platform::ExecutablePath())) {
    std::lock_guard<std::mutex> guard(instance_mutex);
    instance = this;
}

WindowsService::~WindowsService() {
    std::lock_guard<std::mutex> guard(instance_mutex);
    if (instance == this) instance = nullptr;
}

bool WindowsService::Install() {
    bool installed = true;
    if (manager.Exists(service_name) && !RemoveService()) {
        platform::EventLogWrite(service_name, "ServiceInstall ServiceUninstall failed\n");
        installed = false;
    } else {
        const std::string executable = platform::ExecutablePath();
        if (executable.empty() ||
            !manager.Create(service_name, ServiceCommandLine(executable),
                            std::filesystem::path(executable).parent_path().string())) {
            platform::EventLogWrite(service_name, "ServiceInstall CreateService failed\n");
            installed = false;
        }
    }
    if (!installed) {
        std::cout << "ServiceInstall failed: " << service_name << std::endl;
        return false;
    }
    if (!manager.Enable(service_name) || !manager.Start(service_name)) {
        std::cout << "ServiceStart failed: " << service_name << std::endl;
        return false;
    }
    return true;
}

bool WindowsService::Uninstall() {
    if (!manager.Exists(service_name)) return true;
    if (!RemoveService()) {
        std::cout << "Uninstall service " << service_name << " failed" << std::endl;
        return false;
    }
    return true;
}

bool WindowsService::RemoveService() {
    // Stop and disable fail on a unit the manager has not loaded; only whether
    // the unit is gone counts.
    manager.Stop(service_name);
    manager.Disable(service_name);
    return manager.Remove(service_name);
}

std::vector<std::string> WindowsService::ServiceCommandLine(const std::string& executable) const {
    return {executable,
            "--web-root",
            web_root,
            "--dev-desc",
            dev_desc,
            "--service-list",
            service_list,
            "--max-x",
            std::to_string(max_x),
            "--max-y",
            std::to_string(max_y),
            "--port",
            std::to_string(port)};
}

bool WindowsService::Run() {
    // Before Initialize starts any thread, so that every thread inherits it.
    platform::BlockTerminationSignals();
    if (!manager.Exists(service_name)) return SystemService::Run();

    const bool dispatched = platform::StartedByServiceManager(service_name);
    if (dispatched) ServiceMain();
    platform::EventLogWrite(service_name, "StartServiceCtrlDispatcher=%d, GetLastError=%d",
                            dispatched ? 1 : 0, dispatched ? 0 : kNotStartedByServiceManager);
    return dispatched;
}

void WindowsService::ServiceMain() {
    const std::string executable = platform::ExecutablePath();
    if (executable.empty()) {
        platform::EventLogWrite(service_name, "GetModuleFileName failed: %d", errno);
        return;
    }
    // Relative paths (web root, key map, service list) are meant from here.
    std::error_code error;
    std::filesystem::current_path(std::filesystem::path(executable).parent_path(), error);
    if (error)
        platform::EventLogWrite(service_name, "SetCurrentDirectory failed: %d", error.value());

    const int result = Initialize();
    if (result != 0) {
        platform::EventLogWrite(service_name, "Initialize failed: %d", result);
        platform::NotifyStatus("Initialize failed: " + std::to_string(result));
        return;
    }
    platform::EventLogWrite(service_name, "Service started");
    platform::NotifyReady("running");

    while (platform::WaitForTerminationSignal(kAliveInterval) == 0)
        platform::EventLogWrite(service_name, "Service runing...");
    platform::NotifyStopping();
    platform::EventLogWrite(service_name, "want to stop Service");

    platform::EventLogWrite(service_name, "Service stopped");
    FinalizeOnce();
    platform::EventLogWrite(service_name, "Finalize success");
}

bool WindowsService::WaitForQuit() {
    std::string line;
    if (!std::getline(std::cin, line)) {
        // No operator (input closed, as when a parent starts us): run on until
        // a termination signal; the console close handler then ends us.
        platform::WaitForTerminationSignal();
        return true;
    }
    if (line == "q") return true;
    std::cout << std::endl << "......press 'q' to exit......" << std::endl;
    return false;
}

bool WindowsService::SetConsoleCtrl() {
    return platform::InstallTerminationHandler([](int) {
        std::lock_guard<std::mutex> guard(instance_mutex);
        if (instance != nullptr) instance->ConsoleClose();
    });
}

void WindowsService::ConsoleClose() {
    platform::EventLogWrite(service_name, "HandlerRoutine: Finalize begin");
    FinalizeOnce();
    platform::EventLogWrite(service_name, "HandlerRoutine: Finalize end");
}
