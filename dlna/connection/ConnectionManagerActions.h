#pragma once
// The ConnectionManager actions and the vendor extension's keep-alive.
#include <cstdint>
#include <string>

#include "UpnpAction.h"
#include "connection/ConnectionManagerExListener.h"
#include "connection/ConnectionManagerListener.h"

// The ConnectionManager actions' listener; no InstanceID.
template <class L>
class ConnectionManagerActionOf : public UpnpAction {
public:
    ConnectionManagerActionOf(const ServiceInfo& service, const std::string& name, L* listener)
        : UpnpAction(service, name), listener(listener) {}

protected:
    L* listener;
};

using ConnectionManagerAction = ConnectionManagerActionOf<ConnectionManagerListener>;

class GetProtocolInfoAction : public ConnectionManagerAction {
public:
    GetProtocolInfoAction(const ServiceInfo& service, ConnectionManagerListener* listener)
        : ConnectionManagerAction(service, "GetProtocolInfo", listener) {}
    int ProcessRequest(const std::string& address, ActionResults& results) override;
};

class GetCurrentConnectionIDsAction : public ConnectionManagerAction {
public:
    GetCurrentConnectionIDsAction(const ServiceInfo& service, ConnectionManagerListener* listener)
        : ConnectionManagerAction(service, "GetCurrentConnectionIDs", listener) {}
    int ProcessRequest(const std::string& address, ActionResults& results) override;
};

class GetCurrentConnectionInfoAction : public ConnectionManagerAction {
public:
    GetCurrentConnectionInfoAction(const ServiceInfo& service, ConnectionManagerListener* listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    int32_t connection_id = 0;
};

class ConnectionKeepAliveAction : public ConnectionManagerActionOf<ConnectionManagerExListener> {
public:
    ConnectionKeepAliveAction(const ServiceInfo& service, ConnectionManagerExListener* listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    int32_t connection_id = 0;
};
