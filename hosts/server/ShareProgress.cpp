#include "ShareProgress.h"

#include <unistd.h>

namespace {

// Redrawing costs more than sharing a file: a few times a second is enough.
constexpr std::chrono::milliseconds kRedraw{200};

}  // namespace

ShareProgressLine::ShareProgressLine(std::FILE* out)
    : out_(out),
      terminal_(isatty(fileno(out)) == 1),
      start_(std::chrono::steady_clock::now()),
      last_draw_(start_ - kRedraw) {}

double ShareProgressLine::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ShareProgressLine::FileShared() {
    ++shared_;
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_draw_ < kRedraw) return;
    last_draw_ = now;
    const double seconds = Seconds();
    std::fprintf(out_, "\rsharing: %zu files, %.0f files/s\033[K", shared_,
                 seconds > 0 ? shared_ / seconds : 0.0);
    std::fflush(out_);
}

void ShareProgressLine::Finish(size_t skipped, size_t failed, size_t folders) {
    if (terminal_) std::fputs("\r\033[K", out_);
    std::fprintf(out_, "dlna-server: shared %zu file%s from %zu folder%s in %.3f s", shared_,
                 shared_ == 1 ? "" : "s", folders, folders == 1 ? "" : "s", Seconds());
    if (skipped || failed) std::fprintf(out_, " (%zu skipped, %zu refused)", skipped, failed);
    std::fputc('\n', out_);
    std::fflush(out_);
}
