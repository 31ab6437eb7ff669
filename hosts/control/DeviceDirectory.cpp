#include "DeviceDirectory.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Text(const char* text) {
    return text ? text : "";
}

bool IsUdn(const FoundDevice& device, const std::string& name) {
    return device.udn == name || device.udn == "uuid:" + name;
}

}  // namespace

const char* KindName(DeviceKind kind) {
    return kind == DeviceKind::Renderer ? "renderer" : "server";
}

std::vector<FoundDevice> Candidates(const std::vector<FoundDevice>& devices, DeviceKind kind,
                                    const std::string& name) {
    std::vector<FoundDevice> exact, prefixed;
    const std::string wanted = Lower(name);
    for (const FoundDevice& device : devices) {
        if (device.kind != kind) continue;
        const std::string friendly = Lower(device.name);
        if (IsUdn(device, name) || friendly == wanted)
            exact.push_back(device);
        else if (!wanted.empty() && friendly.compare(0, wanted.size(), wanted) == 0)
            prefixed.push_back(device);
    }
    return exact.empty() ? prefixed : exact;
}

bool NamesExactly(const std::vector<FoundDevice>& devices, DeviceKind kind,
                  const std::string& name) {
    return std::any_of(devices.begin(), devices.end(), [&](const FoundDevice& device) {
        return device.kind == kind && (IsUdn(device, name) || Lower(device.name) == Lower(name));
    });
}

DeviceDirectory::DeviceDirectory() {
    DLNA_SetCallback(&DeviceDirectory::OnEvent, this);
}

DeviceDirectory::~DeviceDirectory() {
    DLNA_SetCallback(nullptr, nullptr);
}

std::vector<FoundDevice> DeviceDirectory::Devices() {
    std::lock_guard<std::mutex> guard(mutex_);
    return devices_;
}

int DeviceDirectory::OnEvent(DLNA_EVENT event, void* data, void* user_data) {
    auto* self = static_cast<DeviceDirectory*>(user_data);
    switch (event) {
        case DLNA_DMR_DISCOVERED_EVENT:
            self->Found(data, DeviceKind::Renderer);
            break;
        case DLNA_DMS_DISCOVERED_EVENT:
            self->Found(data, DeviceKind::Server);
            break;
        case DLNA_DMR_DISAPPEARED_EVENT:
        case DLNA_DMS_DISAPPEARED_EVENT:
            self->Left(data);
            break;
        default:
            break;
    }
    return 0;
}

void DeviceDirectory::Found(DLNA_DEVICE_HANDLE handle, DeviceKind kind) {
    // The handle is valid during the event: its description is read now.
    DLNA_DEVICE_INFO info{};
    if (DLNA_DMSC_GetDeviceInfo(handle, &info) != DLNA_OK) return;
    FoundDevice device{handle,
                       kind,
                       Text(info.friendly_name),
                       Text(info.udn),
                       Text(info.address),
                       Text(info.location)};
    DLNA_FreeDeviceInfo(&info);
    std::lock_guard<std::mutex> guard(mutex_);
    // The library announces a device again when it is reported again.
    auto known = std::find_if(devices_.begin(), devices_.end(),
                              [&](const FoundDevice& entry) { return entry.handle == handle; });
    if (known == devices_.end())
        devices_.push_back(std::move(device));
    else
        *known = std::move(device);
    changed_.notify_all();
}

void DeviceDirectory::Left(DLNA_DEVICE_HANDLE handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    std::erase_if(devices_, [&](const FoundDevice& entry) { return entry.handle == handle; });
    changed_.notify_all();
}
