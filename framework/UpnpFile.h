#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// One open file of the web server. Every request opens its own, so concurrent
// downloads never share a position.
class UpnpFileInterface {
public:
    virtual ~UpnpFileInterface() = default;
    virtual int IsOpen() const = 0;
    // Bytes read, 0 at the end. Never negative: the web server would send its
    // stale buffer as data.
    virtual int Read(char* buffer, size_t length) = 0;
    // 0 on success, -1 on failure. origin: 0 start, 1 current, 2 end.
    virtual int Seek(int64_t offset, int origin) = 0;
    virtual int Write(const char* data, size_t length) = 0;
};

using SharedBuffer = std::shared_ptr<const std::vector<char>>;

// Read-only view of a shared buffer.
class UpnpMemoryFile : public UpnpFileInterface {
public:
    UpnpMemoryFile(SharedBuffer data, size_t size) : data_(std::move(data)), size_(size) {}
    int IsOpen() const override { return data_ != nullptr; }
    int Read(char* buffer, size_t length) override;
    int Seek(int64_t offset, int origin) override;
    int Write(const char*, size_t) override { return -1; }
    size_t Position() const { return position_; }

private:
    SharedBuffer data_;
    size_t size_;
    size_t position_ = 0;
};

// A file on disk, opened for reading.
class UpnpDiscFile : public UpnpFileInterface {
public:
    explicit UpnpDiscFile(const std::string& path);
    ~UpnpDiscFile() override;
    int IsOpen() const override { return file_ != nullptr; }
    int Read(char* buffer, size_t length) override;
    int Seek(int64_t offset, int origin) override;
    int Write(const char*, size_t) override { return -1; }

private:
    std::string path_;
    FILE* file_;
};
