#pragma once
#include <string>
#include <vector>

// A folder to share. Its flags add to ServerOptions' own.
struct SharedFolder {
    std::string path;
    bool recursive = false;
    bool watch = false;
};

// What dlna-server was asked to do.
struct ServerOptions {
    std::string config;    // --config: the one file to read; empty: the default
    std::string name;      // friendly name; empty keeps the description's
    std::string password;  // empty: no password
    std::string ip;        // empty: the first usable interface
    int port = 0;          // 0: any free port
    std::string description;
    bool recursive = false;
    bool watch = false;
    // error, warning or info; checked only, as DLNA.h has no log level to set.
    std::string log_level = "warning";
    bool help = false;
    std::vector<SharedFolder> folders;
};

// The command line over `options` (the defaults, then the configuration
// file's values): each option given replaces its value, and folders named
// replace the folders there. False with a one-line `error` for a command
// line that cannot be run.
bool ParseCommandLine(int argc, char** argv, ServerOptions* options, std::string* error);

extern const char kUsage[];
