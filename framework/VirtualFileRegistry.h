#pragma once
#include <upnp.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "UpnpFileFactory.h"

// Everything the web server serves below "/": one factory per path, searched
// in registration order. One registry per process.
class VirtualFileRegistry {
public:
    static VirtualFileRegistry& Instance();
    static void Destroy();

    void AddMemoryFile(const std::string& disk_path, const std::string& virtual_path,
                       const std::string& content_type, int64_t last_modified, const char* data,
                       size_t length);
    void AddDiscFile(const std::string& disk_path, const std::string& virtual_path,
                     const std::string& content_type);
    // Removes the first entry whose disk path names the same file.
    void Remove(const std::string& disk_path);

    std::unique_ptr<UpnpFileInterface> OpenByPath(const std::string& disk_path, int mode);
    bool GetInfoByPath(const std::string& disk_path, UpnpFileInfo* info);
    // The whole content served for that disk path; empty when none.
    std::string ReadByPath(const std::string& disk_path);

    // What the web server's callbacks do, by virtual path.
    std::unique_ptr<UpnpFileInterface> Open(const std::string& virtual_path, int mode);
    bool GetInfo(const std::string& virtual_path, UpnpFileInfo* info);

    size_t Size();

    // Hands libupnp the six callbacks. libupnp forgets them at every start,
    // so the device installs them again each time it is served.
    static void InstallCallbacks();

private:
    VirtualFileRegistry();
    std::shared_ptr<UpnpFileFactory> FindByDiskPath(const std::string& disk_path);

    std::mutex mutex_;
    std::vector<std::shared_ptr<UpnpFileFactory>> factories_;
};
