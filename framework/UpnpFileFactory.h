#pragma once
#include <upnp.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "UpnpFile.h"

// A file's last write time in seconds since the epoch; 0 when unreadable.
int64_t FileLastWriteSeconds(const std::string& path);

// Binds one served path to its content.
class UpnpFileFactory {
public:
    UpnpFileFactory(std::string disk_path, std::string virtual_path, std::string content_type)
        : disk_path(std::move(disk_path)),
          virtual_path(std::move(virtual_path)),
          content_type(std::move(content_type)) {}
    virtual ~UpnpFileFactory() = default;

    // A new file for one request, or null. Only reading is ever served.
    virtual std::unique_ptr<UpnpFileInterface> Open(int mode) = 0;
    virtual bool GetInfo(UpnpFileInfo* info) = 0;

    const std::string disk_path;
    const std::string virtual_path;
    const std::string content_type;
};

class UpnpDiscFileFactory : public UpnpFileFactory {
public:
    using UpnpFileFactory::UpnpFileFactory;
    std::unique_ptr<UpnpFileInterface> Open(int mode) override;
    bool GetInfo(UpnpFileInfo* info) override;
};

class UpnpMemoryFileFactory : public UpnpFileFactory {
public:
    UpnpMemoryFileFactory(std::string disk_path, std::string virtual_path,
                          std::string content_type, int64_t last_modified, const char* data,
                          size_t length);
    std::unique_ptr<UpnpFileInterface> Open(int mode) override;
    bool GetInfo(UpnpFileInfo* info) override;

    std::string Content() const { return std::string(data_->data(), length_); }

private:
    SharedBuffer data_;
    size_t length_;
    int64_t last_modified_;
};

// Content made when asked for (a thumbnail scaled from a picture), by a
// producer that may cache it; an empty buffer answers as no file.
class UpnpGeneratedFileFactory : public UpnpFileFactory {
public:
    using Producer = std::function<SharedBuffer()>;
    UpnpGeneratedFileFactory(std::string disk_path, std::string virtual_path,
                             std::string content_type, Producer producer)
        : UpnpFileFactory(std::move(disk_path), std::move(virtual_path), std::move(content_type)),
          producer_(std::move(producer)) {}
    std::unique_ptr<UpnpFileInterface> Open(int mode) override;
    bool GetInfo(UpnpFileInfo* info) override;

private:
    Producer producer_;
};

