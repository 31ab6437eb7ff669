#include "UpnpFile.h"

#include <algorithm>
#include <cstring>

#include "Logger.h"

namespace {

// Standard seek arithmetic, clamped to 0..size; -1 for an unknown origin.
int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, int origin) {
    int64_t base;
    switch (origin) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = position; break;
        case SEEK_END: base = size; break;
        default: return -1;
    }
    // Saturate instead of overflowing on absurd offsets.
    int64_t target = offset > 0 ? (base > INT64_MAX - offset ? INT64_MAX : base + offset)
                                : base + offset;
    return std::clamp<int64_t>(target, 0, size);
}

}  // namespace

int UpnpMemoryFile::Read(char* buffer, size_t length) {
    if (!data_ || position_ >= size_) return 0;
    // The web server reads in small chunks; an int always holds one.
    size_t count = std::min({length, size_ - position_, size_t(INT32_MAX)});
    std::memcpy(buffer, data_->data() + position_, count);
    position_ += count;
    return static_cast<int>(count);
}

int UpnpMemoryFile::Seek(int64_t offset, int origin) {
    int64_t target = SeekTarget(static_cast<int64_t>(position_), static_cast<int64_t>(size_),
                                offset, origin);
    if (target < 0) return -1;
    position_ = static_cast<size_t>(target);
    return 0;
}

UpnpDiscFile::UpnpDiscFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "rb")) {}

UpnpDiscFile::~UpnpDiscFile() {
    if (file_) std::fclose(file_);
}

int UpnpDiscFile::Read(char* buffer, size_t length) {
    if (!file_) return 0;
    size_t count = std::fread(buffer, 1, std::min(length, size_t(INT32_MAX)), file_);
    if (count == 0 && std::ferror(file_)) {
        LogLine(FrameworkLog(), LogLevel::Error) << "fread failed: " << path_;
        return 0;
    }
    return static_cast<int>(count);
}

int UpnpDiscFile::Seek(int64_t offset, int origin) {
    if (!file_) return -1;
    return fseeko(file_, static_cast<off_t>(offset), origin) == 0 ? 0 : -1;
}
