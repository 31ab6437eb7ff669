#pragma once
// dlna-server's configuration file (see data/dlna-server.conf): the keys
// beside the command line's options.
#include <string>

#include "CommandLine.h"

extern const char kDefaultServerConfig[];  // /etc/dlna-server.conf

// Reads the file at `path` over `options`. A missing file is fine unless
// `required` (it was named with --config). False with one line, "PATH:N:
// why", for an unreadable file, an unknown key or a bad value. A key given
// twice is refused; `folder` may be given many times.
bool ReadServerConfig(const std::string& path, bool required, ServerOptions* options,
                      std::string* error);
