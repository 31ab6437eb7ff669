#pragma once
// dlna-renderer's configuration files (see data/dlna-renderer.conf): the
// keys beside the command line's options.
#include <string>
#include <vector>

#include "Options.h"

// The files read when --config names none, each over the one before:
// /etc/dlna-renderer.conf, then the user's $XDG_CONFIG_HOME (else
// ~/.config) dlna-renderer.conf.
std::vector<std::string> DefaultRendererConfigs();

// Reads the file at `path` over `options`. A missing file is fine unless
// `required` (it was named with --config). False with one line, "PATH:N:
// why", for an unreadable file, an unknown key, a bad value or a key given
// twice in the file.
bool ReadRendererConfig(const std::string& path, bool required, Options* options,
                        std::string* error);
