#pragma once
#include <string>
#include <utility>

// What the mouse-control service acts on: the key map that names its
// entries, and the SendKey sink.
class TvMouseControlControl {
public:
    explicit TvMouseControlControl(std::string key_map_path)
        : key_map_path(std::move(key_map_path)) {}

    void SendKey(const std::string& text);

    const std::string key_map_path;
};
