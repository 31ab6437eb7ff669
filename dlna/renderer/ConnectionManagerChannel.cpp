#include "ConnectionManagerChannel.h"

#include <algorithm>

namespace {
constexpr int kInvalidConnection = 706;
}

ConnectionManagerChannel::ConnectionManagerChannel() : connections_(1) {}

int ConnectionManagerChannel::OnGetProtocolInfo(std::string* source, std::string* sink) {
    // The host may store fresh lists from inside this call.
    if (int result = Forward(&ConnectionManagerListener::OnGetProtocolInfo, source, sink))
        return result;
    std::lock_guard<std::mutex> guard(mutex_);
    *source = TextOf(source_);
    *sink = TextOf(sink_);
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

void ConnectionManagerChannel::SetSinkList(const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    std::vector<Entry> list = ListOf(infos, count);
    std::lock_guard<std::mutex> guard(mutex_);
    sink_.swap(list);
    source_.clear();
}

void ConnectionManagerChannel::SetSourceList(const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    std::vector<Entry> list = ListOf(infos, count);
    std::lock_guard<std::mutex> guard(mutex_);
    source_.swap(list);
    sink_.clear();
}

// Until the shared protocol-info values land in dlna/content, the lists keep
// the four parts themselves, with the same adding rule.
std::vector<ConnectionManagerChannel::Entry> ConnectionManagerChannel::ListOf(
    const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    std::vector<Entry> list;
    for (unsigned i = 0; i < count; ++i) {
        const DLNA_PROTOCOL_INFO& info = infos[i];
        Entry entry{info.protocol, info.network, info.content_format, info.additional_info};
        const bool complete =
            std::none_of(entry.begin(), entry.end(), [](const auto& part) { return part.empty(); });
        if (complete && std::find(list.begin(), list.end(), entry) == list.end())
            list.push_back(std::move(entry));
    }
    return list;
}

std::string ConnectionManagerChannel::TextOf(const std::vector<Entry>& list) {
    std::string text;
    for (const Entry& entry : list) {
        if (!text.empty()) text += ",";
        text += entry[0] + ":" + entry[1] + ":" + entry[2] + ":" + entry[3];
    }
    return text;
}
