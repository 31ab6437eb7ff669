#pragma once
#include <cstdint>
#include <string>

// What the ConnectionManager service asks of the one who answers it; each
// operation returns 0 or a UPnP error code.
class ConnectionManagerListener {
public:
    // One connection, with the values of the single one a device has.
    struct ConnectionInfo {
        int32_t connection_id = 0;
        int32_t rcs_id = 0;
        int32_t av_transport_id = 0;
        std::string protocol_info = ":::";
        std::string peer_connection_manager = "/";
        int32_t peer_connection_id = -1;
        std::string direction = "Input";
        std::string status = "Unknown";
    };

    virtual ~ConnectionManagerListener() = default;
    virtual int OnGetProtocolInfo(std::string* source, std::string* sink) = 0;
    virtual int OnGetCurrentConnectionIDs(std::string* ids) = 0;
    virtual int OnGetCurrentConnectionInfo(int32_t id, ConnectionInfo* info) = 0;
};
