#pragma once
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "Channel.h"
#include "ConnectionManagerListener.h"
#include "DLNA.h"

// A device's ConnectionManager state: its Source and Sink protocol lists and
// its single connection. The renderer and the server each own one. Host
// setters and answers meet under the channel's mutex, which is never held
// while the downstream listener (the host's callback) runs.
class ConnectionManagerChannel : public Channel<ConnectionManagerListener> {
public:
    ConnectionManagerChannel();

    // Raises the device's event first, then answers with the lists as text.
    int OnGetProtocolInfo(std::string* source, std::string* sink) override;
    // Answered here, without an event.
    int OnGetCurrentConnectionIDs(std::string* ids) override;
    int OnGetCurrentConnectionInfo(int32_t id, ConnectionInfo* info) override;

    // Host setters: the entries become one list and the other is emptied.
    // Incomplete or repeated entries are left out; the caller has checked
    // that no string is NULL.
    void SetSinkList(const DLNA_PROTOCOL_INFO* infos, unsigned count);
    void SetSourceList(const DLNA_PROTOCOL_INFO* infos, unsigned count);

private:
    // protocol, network, content format, additional info.
    using Entry = std::array<std::string, 4>;
    static std::vector<Entry> ListOf(const DLNA_PROTOCOL_INFO* infos, unsigned count);
    static std::string TextOf(const std::vector<Entry>& list);

    mutable std::mutex mutex_;
    std::vector<Entry> source_;
    std::vector<Entry> sink_;
    std::vector<ConnectionInfo> connections_;
};
