#include "server/SharedFileGuard.h"

#include "Logger.h"
#include "VirtualFileRegistry.h"
#include "server/AuthenticationManager.h"

namespace {

constexpr const char* kSharePrefix = "/share/";

Logger& AuthenLog() {
    static Logger& log = Logger::Instance("Authen");
    return log;
}

}  // namespace

void GuardSharedFiles(std::weak_ptr<AuthenticationManager> manager) {
    VirtualFileRegistry::Instance().SetAccessGuard(
        kSharePrefix, [manager](const std::string& path, const std::string& client) {
            auto held = manager.lock();
            if (!held || !held->HasPassword()) return true;
            const HardwareAddress hardware = held->HardwareAddressOf(client);
            if (!IsZero(hardware) && held->IsAuthenticated(hardware)) return true;
            LogLine(AuthenLog(), LogLevel::Warning)
                << "Refused " << LogSafe(path) << " to " << (client.empty() ? "?" : client)
                << (IsZero(hardware) ? ": can't get the hardware address" : ": not authenticated");
            return false;
        });
}

void UnguardSharedFiles() { VirtualFileRegistry::Instance().SetAccessGuard(kSharePrefix, nullptr); }
