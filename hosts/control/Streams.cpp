#include "Streams.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

std::FILE* out_stream = stdout;
std::FILE* err_stream = stderr;

// A stream on a copy of `fd`; `fallback` when there is none.
std::FILE* Copy(int fd, std::FILE* fallback) {
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (copy < 0) return fallback;
    std::FILE* stream = fdopen(copy, "w");
    if (!stream) close(copy);
    return stream ? stream : fallback;
}

}  // namespace

std::FILE* Out() {
    return out_stream;
}

std::FILE* Err() {
    return err_stream;
}

void SeparateLibraryLog(bool verbose) {
    std::fflush(stdout);
    std::fflush(stderr);
    out_stream = Copy(STDOUT_FILENO, stdout);
    err_stream = Copy(STDERR_FILENO, stderr);
    // Unbuffered like stderr: a failure line must not wait for the exit.
    std::setvbuf(err_stream, nullptr, _IONBF, 0);
    if (verbose) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        return;
    }
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    close(null);
}
