#pragma once
#include <cstdint>
#include <mutex>
#include <string>

// The run modes that need no service manager, and the settings every mode
// shares. One instance per process.
class SystemService {
public:
    virtual ~SystemService() = default;

    virtual bool Install() = 0;
    virtual bool Uninstall() = 0;
    // Console mode: the device runs until the operator quits.
    virtual bool Run();
    // 0 when the device runs, otherwise a non-zero code.
    virtual int Initialize() = 0;
    virtual void Finalize() = 0;
    // Blocks until the operator asks to quit; true to quit.
    virtual bool WaitForQuit() = 0;
    virtual bool SetConsoleCtrl() = 0;

    std::string web_root;
    std::string dev_desc;
    std::string service_list;
    std::int32_t max_x = 0;
    std::int32_t max_y = 0;
    std::uint16_t port = 0;

protected:
    // The console-close handler may race the quit path: the device stops once.
    void FinalizeOnce();

private:
    std::once_flag finalized;
};
