#pragma once
#include <string>
#include <utility>

// What the key-control service and the system actions act on: the key map
// that names the remote-control keys, and the service list GetServiceList
// answers.
class TvKeyControlControl {
public:
    TvKeyControlControl(std::string key_map_path, std::string service_list_path)
        : key_map_path(std::move(key_map_path)), service_list_path(std::move(service_list_path)) {}

    void SI_IRReceiver(const std::string& action, const std::string& key_value);
    std::string GetTVLiveAddress();
    std::string GetTVLiveNegotiatedAddress();
    std::string GetTVMode();
    std::string ReadServiceList();
    void SendString(const std::string& text);

    const std::string key_map_path;
    const std::string service_list_path;
};
