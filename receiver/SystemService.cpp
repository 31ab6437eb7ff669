#include "SystemService.h"

#include <iostream>

bool SystemService::Run() {
    std::cout << "Debug mode start." << std::endl;
    const int result = Initialize();
    if (result != 0) {
        std::cout << "Initialize failed: " << result << std::endl;
        return false;
    }
    if (!SetConsoleCtrl()) {
        std::cout << "SetConsoleCtrl failed" << std::endl;
        return false;
    }
    while (!WaitForQuit()) {
    }
    FinalizeOnce();
    std::cout << "Debug mode end." << std::endl;
    return true;
}

void SystemService::FinalizeOnce() {
    std::call_once(finalized, [this] { Finalize(); });
}
