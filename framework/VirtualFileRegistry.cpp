#include "VirtualFileRegistry.h"

#include <filesystem>

#include "Logger.h"

namespace {

std::unique_ptr<VirtualFileRegistry>& Slot() {
    static std::unique_ptr<VirtualFileRegistry> registry;
    return registry;
}
std::mutex& SlotMutex() {
    static std::mutex mutex;
    return mutex;
}

UpnpFileInterface* AsFile(UpnpWebFileHandle handle) {
    return static_cast<UpnpFileInterface*>(handle);
}

int OnGetInfo(const char* filename, UpnpFileInfo* info, const void*) {
    if (!filename) return -1;
    return VirtualFileRegistry::Instance().GetInfo(filename, info) ? 0 : -1;
}

UpnpWebFileHandle OnOpen(const char* filename, enum UpnpOpenFileMode mode, const void*) {
    // Nothing here is writable over HTTP.
    if (!filename || mode != UPNP_READ) return nullptr;
    return VirtualFileRegistry::Instance().Open(filename, mode).release();
}

int OnRead(UpnpWebFileHandle handle, char* buffer, size_t length, const void*) {
    return handle ? AsFile(handle)->Read(buffer, length) : 0;
}

int OnWrite(UpnpWebFileHandle, char*, size_t, const void*) { return -1; }

int OnSeek(UpnpWebFileHandle handle, off_t offset, int origin, const void*) {
    return handle ? AsFile(handle)->Seek(offset, origin) : -1;
}

int OnClose(UpnpWebFileHandle handle, const void*) {
    delete AsFile(handle);
    return 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

VirtualFileRegistry& VirtualFileRegistry::Instance() {
    std::lock_guard<std::mutex> guard(SlotMutex());
    auto& slot = Slot();
    if (!slot) slot.reset(new VirtualFileRegistry());
    return *slot;
}

void VirtualFileRegistry::Destroy() {
    std::lock_guard<std::mutex> guard(SlotMutex());
    Slot().reset();
}

VirtualFileRegistry::VirtualFileRegistry() { InstallCallbacks(); }

void VirtualFileRegistry::InstallCallbacks() {
    UpnpVirtualDir_set_GetInfoCallback(OnGetInfo);
    UpnpVirtualDir_set_OpenCallback(OnOpen);
    UpnpVirtualDir_set_ReadCallback(OnRead);
    UpnpVirtualDir_set_WriteCallback(OnWrite);
    UpnpVirtualDir_set_SeekCallback(OnSeek);
    UpnpVirtualDir_set_CloseCallback(OnClose);
}

void VirtualFileRegistry::AddMemoryFile(const std::string& disk_path,
                                        const std::string& virtual_path,
                                        const std::string& content_type, int64_t last_modified,
                                        const char* data, size_t length) {
    auto factory = std::make_shared<UpnpMemoryFileFactory>(disk_path, virtual_path, content_type,
                                                           last_modified, data, length);
    std::lock_guard<std::mutex> guard(mutex_);
    factories_.push_back(std::move(factory));
}

void VirtualFileRegistry::AddDiscFile(const std::string& disk_path,
                                      const std::string& virtual_path,
                                      const std::string& content_type) {
    auto factory = std::make_shared<UpnpDiscFileFactory>(disk_path, virtual_path, content_type);
    std::lock_guard<std::mutex> guard(mutex_);
    factories_.push_back(std::move(factory));
}

void VirtualFileRegistry::Remove(const std::string& disk_path) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = factories_.begin(); it != factories_.end(); ++it) {
        if (SameFile((*it)->disk_path, disk_path)) {
            factories_.erase(it);
            return;
        }
    }
}

std::shared_ptr<UpnpFileFactory> VirtualFileRegistry::FindByDiskPath(const std::string& disk_path) {
    for (const auto& factory : factories_) {
        if (SameFile(factory->disk_path, disk_path)) return factory;
    }
    return nullptr;
}

std::unique_ptr<UpnpFileInterface> VirtualFileRegistry::OpenByPath(const std::string& disk_path,
                                                                   int mode) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto factory = FindByDiskPath(disk_path);
    if (!factory) return nullptr;
    auto file = factory->Open(mode);
    return file && file->IsOpen() ? std::move(file) : nullptr;
}

std::string VirtualFileRegistry::ReadByPath(const std::string& disk_path) {
    auto file = OpenByPath(disk_path, UPNP_READ);
    std::string text;
    if (!file) return text;
    char buffer[4096];
    for (int n; (n = file->Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    return text;
}

bool VirtualFileRegistry::GetInfoByPath(const std::string& disk_path, UpnpFileInfo* info) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto factory = FindByDiskPath(disk_path);
    return factory && factory->GetInfo(info);
}

std::unique_ptr<UpnpFileInterface> VirtualFileRegistry::Open(const std::string& virtual_path,
                                                             int mode) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& factory : factories_) {
        if (factory->virtual_path != virtual_path) continue;
        auto file = factory->Open(mode);
        return file && file->IsOpen() ? std::move(file) : nullptr;
    }
    return nullptr;
}

bool VirtualFileRegistry::GetInfo(const std::string& virtual_path, UpnpFileInfo* info) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& factory : factories_) {
        if (factory->virtual_path == virtual_path && factory->GetInfo(info)) return true;
    }
    return false;
}

size_t VirtualFileRegistry::Size() {
    std::lock_guard<std::mutex> guard(mutex_);
    return factories_.size();
}
