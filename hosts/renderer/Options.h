#pragma once
#include <cstdint>
#include <string>

// dlna-renderer's command line.
struct Options {
    std::string config;       // --config: the one file to read; empty: the defaults
    std::string description;  // empty: beside the executable's data
    std::string name;         // empty: "dlna-renderer on " and the host name
    std::string address;      // empty: the first usable interface
    uint16_t port = 0;        // 0: chosen by the system
    std::string audio_sink;   // gst-launch syntax; empty: automatic
    std::string video_sink;
    bool null_host = false;
};

// The command line over `options` (the defaults, then the configuration
// files' values): each option given replaces its value. False after printing
// help (`exit_status` 0) or a usage error (1).
bool ParseOptions(int argc, char** argv, Options* options, int* exit_status);
