#include "UpnpFileFactory.h"

#include <filesystem>
#include <system_error>

#include "Logger.h"

namespace fs = std::filesystem;

namespace {

void FillInfo(UpnpFileInfo* info, int64_t length, int64_t last_modified, const std::string& type) {
    UpnpFileInfo_set_FileLength(info, static_cast<off_t>(length));
    UpnpFileInfo_set_LastModified(info, static_cast<time_t>(last_modified));
    UpnpFileInfo_set_IsDirectory(info, 0);
    UpnpFileInfo_set_IsReadable(info, 1);
    // libupnp keeps its own copy of the text.
    UpnpFileInfo_set_ContentType(info, const_cast<char*>(type.c_str()));
}

}  // namespace

int64_t FileLastWriteSeconds(const std::string& path) {
    std::error_code ec;
    auto time = fs::last_write_time(path, ec);
    if (ec) return 0;
    auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

std::unique_ptr<UpnpFileInterface> UpnpDiscFileFactory::Open(int) {
    auto file = std::make_unique<UpnpDiscFile>(disk_path);
    if (!file->IsOpen()) {
        LogLine(FrameworkLog(), LogLevel::Error) << "fopen rb failed: " << disk_path;
        return nullptr;
    }
    return file;
}

bool UpnpDiscFileFactory::GetInfo(UpnpFileInfo* info) {
    // A file that vanished since registration is reported as not found.
    std::error_code ec;
    auto size = fs::file_size(disk_path, ec);
    if (ec) return false;
    FillInfo(info, static_cast<int64_t>(size), FileLastWriteSeconds(disk_path), content_type);
    return true;
}

UpnpMemoryFileFactory::UpnpMemoryFileFactory(std::string disk_path, std::string virtual_path,
                                             std::string content_type, int64_t last_modified,
                                             const char* data, size_t length)
    : UpnpFileFactory(std::move(disk_path), std::move(virtual_path), std::move(content_type)),
      length_(length),
      last_modified_(last_modified) {
    auto buffer = std::make_shared<std::vector<char>>(length + 1, '\0');
    if (length) std::copy(data, data + length, buffer->begin());
    data_ = std::move(buffer);
}

std::unique_ptr<UpnpFileInterface> UpnpMemoryFileFactory::Open(int) {
    return std::make_unique<UpnpMemoryFile>(data_, length_);
}

bool UpnpMemoryFileFactory::GetInfo(UpnpFileInfo* info) {
    FillInfo(info, static_cast<int64_t>(length_), last_modified_, content_type);
    return true;
}

std::unique_ptr<UpnpFileInterface> UpnpGeneratedFileFactory::Open(int) {
    SharedBuffer data = producer_();
    if (!data || data->empty()) return nullptr;
    const size_t size = data->size();
    return std::make_unique<UpnpMemoryFile>(std::move(data), size);
}

bool UpnpGeneratedFileFactory::GetInfo(UpnpFileInfo* info) {
    SharedBuffer data = producer_();
    if (!data || data->empty()) return false;
    FillInfo(info, static_cast<int64_t>(data->size()), 0, content_type);
    return true;
}
