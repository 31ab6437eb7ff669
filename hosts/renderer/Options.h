#pragma once
#include <cstdint>
#include <optional>
#include <string>

// dlna-renderer's command line.
struct Options {
    std::string description;  // empty: beside the executable's data
    std::string name;         // empty: "dlna-renderer on " and the host name
    std::string address;      // empty: the first usable interface
    uint16_t port = 0;        // 0: chosen by the system
    std::string audio_sink;   // gst-launch syntax; empty: automatic
    std::string video_sink;
    bool null_host = false;
};

// The options, or empty after printing help (`exit_status` 0) or a usage
// error (1).
std::optional<Options> ParseOptions(int argc, char** argv, int* exit_status);
