#pragma once
#include <cstdint>

#include "DLNA.h"
#include "renderer/AVTransportRecords.h"

// What the AVTransport service asks of the one who answers it. Each
// operation returns 0 or a UPnP error code. A query fills its out-record
// with a copy of the instance's state, so the answer never points into
// state a host thread may be replacing.
class AVTransportListener {
public:
    virtual ~AVTransportListener() = default;
    virtual int OnStop(uint32_t id) = 0;
    virtual int OnPause(uint32_t id) = 0;
    virtual int OnPlay(DLNA_PLAY_EVENT* event) = 0;
    virtual int OnNext(uint32_t id) = 0;
    virtual int OnPrevious(uint32_t id) = 0;
    virtual int OnSeek(DLNA_SEEK_EVENT* event) = 0;
    virtual int OnSetAVTransportURI(DLNA_URI_EVENT* event) = 0;
    virtual int OnSetNextAVTransportURI(DLNA_URI_EVENT* event) = 0;
    virtual int OnGetMediaInfo(uint32_t id, MediaInfo* info) = 0;
    virtual int OnGetTransportInfo(uint32_t id, TransportInfo* info) = 0;
    virtual int OnGetTransportSettings(uint32_t id, TransportSettings* settings) = 0;
    virtual int OnGetPositionInfo(uint32_t id, PositionInfo* info) = 0;
    virtual int OnGetDeviceCapabilities(uint32_t id, DeviceCapabilities* caps) = 0;
};
