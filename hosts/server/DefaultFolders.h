#pragma once
#include <string>
#include <vector>

// What a user who names no folder wants shared: their music, videos and
// pictures folders, as the XDG user-dirs file ($XDG_CONFIG_HOME, else
// ~/.config, "user-dirs.dirs") names them, else ~/Music, ~/Videos and
// ~/Pictures. Only those that exist.
std::vector<std::string> DefaultMediaFolders();
