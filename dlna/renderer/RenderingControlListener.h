#pragma once
#include <cstdint>
#include <string>

#include "DLNA.h"

// What the RenderingControl service asks of the one who answers it; each
// operation returns 0 or a UPnP error code.
class RenderingControlListener {
public:
    virtual ~RenderingControlListener() = default;
    virtual int OnSetVolume(DLNA_VOLUME_EVENT* event) = 0;
    virtual int OnGetVolume(DLNA_CHANNEL_EVENT* event, uint16_t* volume) = 0;
    virtual int OnSelectPreset(uint32_t id, const std::string& preset) = 0;
    virtual int OnListPresets(uint32_t id, std::string* presets) = 0;
};
