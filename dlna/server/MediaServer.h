#pragma once
#include <memory>
#include <mutex>

#include "connection/ConnectionManagerChannel.h"

class HostEvents;
class UpnpDevice;

// Placeholder bridge: holds the local device once one is created, and is the
// last listener of the server's ConnectionManager.
class MediaServer : public ConnectionManagerListener {
public:
    explicit MediaServer(HostEvents& host);
    ~MediaServer() override;
    void Bind(std::shared_ptr<UpnpDevice> device);
    std::shared_ptr<UpnpDevice> Device() const;

    ConnectionManagerChannel& ConnectionManager() { return connection_manager_; }

    int OnGetProtocolInfo(std::string* source, std::string* sink) override;
    // Answered by the channel itself; never reached.
    int OnGetCurrentConnectionIDs(std::string*) override { return 0; }
    int OnGetCurrentConnectionInfo(int32_t, ConnectionInfo*) override { return 0; }

private:
    HostEvents& host_;
    mutable std::mutex mutex_;
    std::shared_ptr<UpnpDevice> device_;
    ConnectionManagerChannel connection_manager_;
};
