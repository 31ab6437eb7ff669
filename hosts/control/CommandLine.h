#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What dlna-control was asked to do.
struct ControlOptions {
    std::string ip;      // empty: the first usable interface
    int port = 0;        // 0: any free port
    int wait_ms = 4000;  // how long devices are looked for
    std::string command;
    std::vector<std::string> arguments;  // the command's own, in order
    // browse
    uint32_t start = 0;
    uint32_t count = 0;  // 0: all
    bool metadata = false;
    std::optional<std::string> password;
    bool verbose = false;  // the library's log on standard error
    bool help = false;
};

// False with a one-line `error` for a command line that cannot be run: an
// unknown command, a missing or surplus argument, a value out of range.
bool ParseCommandLine(int argc, char** argv, ControlOptions* options, std::string* error);

extern const char kUsage[];
