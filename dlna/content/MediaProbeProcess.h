#pragma once
// One dlna-media-probe process, which reads media files for the server: a
// file that crashes or hangs a parser costs that process, not the server,
// and the parsers' libraries (FFmpeg alone maps about 25 MiB) never load
// into the server. Started on the first question; one question at a time.
//
// The exchange, over a socket pair on the reader's stdin and stdout:
//   "<verb> <mime length> <path length>\n<mime><path>"
//   -> "ok <length>\n<answer>" or "error <length>\n<text>"
// verb "probe" answers FormatMediaFileInfo's text, "thumb" a JPEG_TN thumbnail.
#include <sys/types.h>

#include <string>
#include <string_view>

class MediaProbeProcess {
public:
    // `program` empty: Program().
    explicit MediaProbeProcess(std::string program = {});
    ~MediaProbeProcess();
    MediaProbeProcess(const MediaProbeProcess&) = delete;
    MediaProbeProcess& operator=(const MediaProbeProcess&) = delete;

    // True with the answer, or false with one line saying what went wrong.
    // A reader that dies or stays silent for `timeout_ms` is stopped; the
    // next question starts another.
    bool Ask(std::string_view verb, std::string_view mime, std::string_view path,
             std::string* answer, int timeout_ms = 30000);
    // Ends the reader (it exits when its input closes).
    void Stop();

    // $DLNA_MEDIA_PROBE, else dlna-media-probe where it is installed
    // relative to this library.
    static std::string Program();

private:
    bool Start(std::string* error);
    bool Receive(std::string* data, size_t length, int timeout_ms, std::string* error);
    // What became of a reader that stopped answering, as one line.
    std::string Reap(bool kill);

    std::string program_;
    pid_t pid_ = -1;
    int socket_ = -1;
    std::string pending_;  // read beyond the last answer
};
