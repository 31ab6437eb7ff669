#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/Channel.h"
#include "common/StateWatcher.h"
#include "connection/ConnectionManagerListener.h"
#include "content/ProtocolInfo.h"

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

    // Host setters: the list becomes one of the two, the other is emptied.
    void SetSinkList(ProtocolInfoList list);
    void SetSourceList(ProtocolInfoList list);

    // Every change of the evented variables goes to the watcher; the latest
    // wins.
    void Watch(std::weak_ptr<StateWatcher> watcher);
    EventValues EventState() const;

private:
    // Callers hold the lock.
    std::string ConnectionIds() const;
    EventValues Evented() const;

    mutable std::mutex mutex_;
    ProtocolInfoList source_;
    ProtocolInfoList sink_;
    std::vector<ConnectionInfo> connections_;
    WatchedState watched_;
};
