#pragma once
// The renderers and servers the library reports, kept by the host, and how
// a person names one of them.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "DLNA.h"

enum class DeviceKind { Renderer, Server };

const char* KindName(DeviceKind kind);

struct FoundDevice {
    DLNA_DEVICE_HANDLE handle = nullptr;
    DeviceKind kind = DeviceKind::Renderer;
    std::string name;
    std::string udn;
    std::string address;
    std::string location;
};

// The devices of one kind that `name` picks: the one whose UDN (with or
// without "uuid:") or whole friendly name it is, else every one whose
// friendly name starts with it, ignoring case. One entry is a match.
std::vector<FoundDevice> Candidates(const std::vector<FoundDevice>& devices, DeviceKind kind,
                                    const std::string& name);
// True when `name` names one device exactly, so that looking on is moot.
bool NamesExactly(const std::vector<FoundDevice>& devices, DeviceKind kind,
                  const std::string& name);

// Installed as the library's callback for its lifetime; events arrive on
// the library's threads.
class DeviceDirectory {
public:
    DeviceDirectory();
    ~DeviceDirectory();
    DeviceDirectory(const DeviceDirectory&) = delete;
    DeviceDirectory& operator=(const DeviceDirectory&) = delete;

    // In the order they were found.
    std::vector<FoundDevice> Devices();
    // Until `enough` holds for the devices found so far, or time runs out.
    template <class Enough>
    void WaitUntil(std::chrono::steady_clock::time_point deadline, Enough&& enough) {
        std::unique_lock<std::mutex> guard(mutex_);
        changed_.wait_until(guard, deadline, [&] { return enough(devices_); });
    }

private:
    static int OnEvent(DLNA_EVENT event, void* data, void* user_data);
    void Found(DLNA_DEVICE_HANDLE handle, DeviceKind kind);
    void Left(DLNA_DEVICE_HANDLE handle);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<FoundDevice> devices_;
};
