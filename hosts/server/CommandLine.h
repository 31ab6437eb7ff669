#pragma once
#include <string>
#include <vector>

// What dlna-server was asked to do.
struct ServerOptions {
    std::string name;      // friendly name; empty keeps the description's
    std::string password;  // empty: no password
    std::string ip;        // empty: the first usable interface
    int port = 0;          // 0: any free port
    std::string description;
    bool recursive = false;
    bool watch = false;
    bool help = false;
    std::vector<std::string> folders;
};

// False with a one-line `error` for a command line that cannot be run.
// `default_description` is used unless --desc is given.
bool ParseCommandLine(int argc, char** argv, const std::string& default_description,
                      ServerOptions* options, std::string* error);

extern const char kUsage[];
