#include "ReceiverProcess.h"

#include <chrono>
#include <thread>

#include "HttpClient.h"

ReceiverProcess::ReceiverProcess(const std::string& directory,
                                 const std::vector<std::string>& arguments,
                                 const std::vector<std::pair<std::string, std::string>>& environment)
    : ChildProcess(directory + "/Halvorn", arguments, Setup{environment, directory}) {}

bool ReceiverProcess::WaitUntilServing(int timeout_seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    const auto match = WaitForOutput(R"(Initialize address: ([0-9.]+):(\d+))", timeout_seconds);
    if (match.size() < 3) return false;
    address_ = match[1];
    port_ = std::stoi(match[2]);
    // The address is logged before the device answers control requests.
    while (SoapCall(address_, port_, "/control/tvcontrol", "urn:tundric-com:service:tvcontrol:1",
                    "GetTVMode", {})
               .status != 200) {
        if (!Running() || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}
