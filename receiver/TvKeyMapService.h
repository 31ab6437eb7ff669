#pragma once
#include <map>
#include <string>

#include "UpnpService.h"

// A service whose actions are named first by a key-map file, then by the
// fixed actions it offers. Map entries hide fixed actions of the same name.
class TvKeyMapService : public UpnpService {
public:
    // Loads the map, then the actions the SCPD lists.
    bool LoadActions() override;
    std::shared_ptr<UpnpAction> CreateAction(const std::string& name) final;

    // Adds the entries of every `map_element` element in the file; the first
    // entry for a name wins. False when the file does not parse.
    bool LoadKeyMap(const std::string& path);

    const std::map<std::string, std::string>& KeyMap() const { return key_map; }
    const std::string& MapElement() const { return map_element; }

protected:
    TvKeyMapService(const ServiceInfo& info, std::string map_element)
        : UpnpService(info), map_element(std::move(map_element)) {}

    virtual std::string KeyMapPath() const = 0;
    virtual std::shared_ptr<UpnpAction> CreateMappedAction(const std::string& name,
                                                           const std::string& key_value) = 0;

    std::map<std::string, std::string> key_map;
    const std::string map_element;
};
