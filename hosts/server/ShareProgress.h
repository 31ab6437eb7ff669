#pragma once
#include <chrono>
#include <cstddef>
#include <cstdio>

// The progress of a long share: a line rewritten in place while standard
// output is a terminal (files shared, files per second), and the final count
// with the time taken in any case.
class ShareProgressLine {
public:
    explicit ShareProgressLine(std::FILE* out);
    void FileShared();
    void Finish(size_t skipped, size_t failed, size_t folders);

private:
    double Seconds() const;

    std::FILE* out_;
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_draw_;
    size_t shared_ = 0;
};
