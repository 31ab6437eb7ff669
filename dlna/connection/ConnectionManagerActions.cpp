#include "connection/ConnectionManagerActions.h"

#include "UpnpErrorMessages.h"
#include "common/Channel.h"
#include "common/DlnaLog.h"

int GetProtocolInfoAction::ProcessRequest(const std::string&, ActionResults& results) {
    if (!listener) return upnp_error::kActionFailed;
    std::string source, sink;
    if (int result = listener->OnGetProtocolInfo(&source, &sink)) return result;
    results.emplace_back("Source", source);
    results.emplace_back("Sink", sink);
    LogLine(DlnaLog(), LogLevel::Info) << "Source: " << source << ", Sink: " << sink;
    return 0;
}

int GetCurrentConnectionIDsAction::ProcessRequest(const std::string&, ActionResults& results) {
    if (!listener) return upnp_error::kActionFailed;
    std::string ids;
    if (int result = listener->OnGetCurrentConnectionIDs(&ids)) return result;
    results.emplace_back("ConnectionIDs", ids);
    LogLine(DlnaLog(), LogLevel::Info) << "ConnectionIDs:" << ids;
    return 0;
}

GetCurrentConnectionInfoAction::GetCurrentConnectionInfoAction(const ServiceInfo& service,
                                                               ConnectionManagerListener* listener)
    : ConnectionManagerAction(service, "GetCurrentConnectionInfo", listener) {
    AddInput("ConnectionID", &connection_id);
}

int GetCurrentConnectionInfoAction::ProcessRequest(const std::string&, ActionResults& results) {
    if (!listener) return upnp_error::kActionFailed;
    ConnectionManagerListener::ConnectionInfo info;
    if (int result = listener->OnGetCurrentConnectionInfo(connection_id, &info)) return result;
    results.emplace_back("RcsID", info.rcs_id);
    results.emplace_back("AVTransportID", info.av_transport_id);
    results.emplace_back("ProtocolInfo", info.protocol_info);
    results.emplace_back("PeerConnectionManager", info.peer_connection_manager);
    results.emplace_back("PeerConnectionID", info.peer_connection_id);
    results.emplace_back("Direction", info.direction);
    results.emplace_back("Status", info.status);
    LogLine line(DlnaLog(), LogLevel::Info);
    line << "ConnectionID(IN): " << connection_id;
    for (const auto& result : results) line << ", " << result.name << "(OUT):" << result.value;
    return 0;
}

ConnectionKeepAliveAction::ConnectionKeepAliveAction(const ServiceInfo& service,
                                                     ConnectionManagerExListener* listener)
    : ConnectionManagerActionOf(service, "ConnectionKeepAlive", listener) {
    AddInput("ConnectionID", &connection_id);
}

int ConnectionKeepAliveAction::ProcessRequest(const std::string&, ActionResults&) {
    return listener ? listener->OnConnectionKeepAlive(&connection_id) : upnp_error::kActionFailed;
}
