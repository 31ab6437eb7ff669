#include "ConnectionManagerChannel.h"

namespace {
constexpr int kInvalidConnection = 706;
}

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
    ids->clear();
    for (const ConnectionInfo& connection : connections_) {
        if (!ids->empty()) *ids += ",";
        *ids += std::to_string(connection.connection_id);
    }
    return 0;
}

int ConnectionManagerChannel::OnGetCurrentConnectionInfo(int32_t id, ConnectionInfo* info) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const ConnectionInfo& connection : connections_) {
        if (connection.connection_id == id) {
            *info = connection;
            return 0;
        }
    }
    return kInvalidConnection;
}

void ConnectionManagerChannel::SetSinkList(ProtocolInfoList list) {
    std::lock_guard<std::mutex> guard(mutex_);
    std::swap(sink_, list);
    source_.Clear();
}

void ConnectionManagerChannel::SetSourceList(ProtocolInfoList list) {
    std::lock_guard<std::mutex> guard(mutex_);
    std::swap(source_, list);
    sink_.Clear();
}
