#pragma once
#include <memory>
#include <string>

// Paths the key-control service and the system actions read.
class TvKeyControlControl {
public:
    static std::shared_ptr<TvKeyControlControl> Instance();

    void SI_IRReceiver(const std::string& action, const std::string& key_value);
    std::string GetTVLiveAddress();
    std::string GetTVLiveNegotiatedAddress();
    std::string GetTVMode();
    std::string ReadServiceList();
    void SendString(const std::string& text);

    std::string key_map_path;
    std::string service_list_path;
};
