#include "ConnectionManagerService.h"

#include "ConnectionManagerActions.h"

ConnectionManagerService::ConnectionManagerService(const ServiceInfo& info,
                                                   ConnectionManagerListener* listener)
    : UpnpService(info) {
    Offer<GetProtocolInfoAction>("GetProtocolInfo", listener);
    Offer<GetCurrentConnectionIDsAction>("GetCurrentConnectionIDs", listener);
    Offer<GetCurrentConnectionInfoAction>("GetCurrentConnectionInfo", listener);
}

ConnectionManagerExService::ConnectionManagerExService(const ServiceInfo& info,
                                                       ConnectionManagerExListener* listener)
    : UpnpService(info) {
    Offer<ConnectionKeepAliveAction>("ConnectionKeepAlive", listener);
}
