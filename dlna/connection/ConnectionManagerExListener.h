#pragma once
#include <cstdint>

// The vendor connection-manager extension: a control point keeping its
// connection alive.
class ConnectionManagerExListener {
public:
    virtual ~ConnectionManagerExListener() = default;
    virtual int OnConnectionKeepAlive(int32_t* connection_id) = 0;
};
