// dlna-media-probe: reads media files for the media server, one question at
// a time on stdin, answers on stdout (the exchange is described in
// content/MediaProbeProcess.h). Runs apart from the server so that the
// parsers' libraries and whatever an untrusted file does to them stay here.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "content/MediaFileInfo.h"
#include "probe/MediaProbe.h"

namespace {

bool ReadExactly(std::string* out, size_t length) {
    out->resize(length);
    return length == 0 || std::fread(out->data(), 1, length, stdin) == length;
}

void Answer(bool ok, const std::string& text) {
    std::printf("%s %zu\n", ok ? "ok" : "error", text.size());
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int main() {
    // Nothing of the server's but the two pipes, and below its priority:
    // Browse must answer while a folder is read.
    ::close_range(3, ~0U, 0);
    (void)::setpriority(PRIO_PROCESS, 0, 10);
    char line[128];
    while (std::fgets(line, sizeof line, stdin)) {
        char verb[16];
        size_t mime_length = 0, path_length = 0;
        if (std::sscanf(line, "%15s %zu %zu", verb, &mime_length, &path_length) != 3 ||
            mime_length > 4096 || path_length > 65536)
            return 2;
        std::string mime, path;
        if (!ReadExactly(&mime, mime_length) || !ReadExactly(&path, path_length)) return 2;
        std::string error;
        if (std::string(verb) == "probe") {
            const auto info = ProbeMedia(path, mime, &error);
            Answer(info.has_value(), info ? FormatMediaFileInfo(*info) : error);
        } else if (std::string(verb) == "thumb") {
            const std::string jpeg = MakeThumbnail(path, mime, &error);
            Answer(!jpeg.empty(), jpeg.empty() ? error : jpeg);
        } else {
            Answer(false, "unknown question");
        }
    }
    return 0;
}
