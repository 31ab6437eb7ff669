#pragma once
#include <memory>
#include <string>

class TvMouseControlControl {
public:
    static std::shared_ptr<TvMouseControlControl> Instance();

    void SendKey(const std::string& text);

    std::string key_map_path;
};
