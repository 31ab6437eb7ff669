#include "connection/ConnectionManagerChannel.h"

#include "UpnpErrorMessages.h"

ConnectionManagerChannel::ConnectionManagerChannel() : connections_(1) {}

int ConnectionManagerChannel::OnGetProtocolInfo(std::string* source, std::string* sink) {
    // The host may store fresh lists from inside this call.
    if (int result = Forward(&ConnectionManagerListener::OnGetProtocolInfo, source, sink))
        return result;
    std::lock_guard<std::mutex> guard(mutex_);
    *source = source_.ToString();
    *sink = sink_.ToString();
    return 0;
}

int ConnectionManagerChannel::OnGetCurrentConnectionIDs(std::string* ids) {
    std::lock_guard<std::mutex> guard(mutex_);
    *ids = ConnectionIds();
    return 0;
}

std::string ConnectionManagerChannel::ConnectionIds() const {
    std::string ids;
    for (const ConnectionInfo& connection : connections_) {
        if (!ids.empty()) ids += ",";
        ids += std::to_string(connection.connection_id);
    }
    return ids;
}

EventValues ConnectionManagerChannel::Evented() const {
    return {{"SourceProtocolInfo", source_.ToString()},
            {"SinkProtocolInfo", sink_.ToString()},
            {"CurrentConnectionIDs", ConnectionIds()}};
}

EventValues ConnectionManagerChannel::EventState() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return Evented();
}

void ConnectionManagerChannel::Watch(std::weak_ptr<StateWatcher> watcher) {
    watched_.Watch(std::move(watcher));
}

int ConnectionManagerChannel::OnGetCurrentConnectionInfo(int32_t id, ConnectionInfo* info) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const ConnectionInfo& connection : connections_) {
        if (connection.connection_id == id) {
            *info = connection;
            return 0;
        }
    }
    return upnp_error::kInvalidConnection;
}

void ConnectionManagerChannel::SetSinkList(ProtocolInfoList list) {
    std::lock_guard<std::mutex> guard(mutex_);
    const EventValues before = Evented();
    std::swap(sink_, list);
    source_.Clear();
    watched_.Report(0, before, Evented());
}

void ConnectionManagerChannel::SetSourceList(ProtocolInfoList list) {
    std::lock_guard<std::mutex> guard(mutex_);
    const EventValues before = Evented();
    std::swap(source_, list);
    sink_.Clear();
    watched_.Report(0, before, Evented());
}
