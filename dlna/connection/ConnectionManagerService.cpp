#include "connection/ConnectionManagerService.h"

#include "common/ModeratedEvents.h"
#include "connection/ConnectionManagerActions.h"
#include "connection/ConnectionManagerChannel.h"

ConnectionManagerService::ConnectionManagerService(const ServiceInfo& info,
                                                   ConnectionManagerChannel* channel)
    : UpnpService(info), channel_(channel) {
    ConnectionManagerListener* listener = channel;
    Offer<GetProtocolInfoAction>("GetProtocolInfo", listener);
    Offer<GetCurrentConnectionIDsAction>("GetCurrentConnectionIDs", listener);
    Offer<GetCurrentConnectionInfoAction>("GetCurrentConnectionInfo", listener);
    if (channel_) {
        watcher_ = std::make_shared<ModeratedEvents>(events, std::string());
        channel_->Watch(watcher_);
    }
}

EventValues ConnectionManagerService::InitialEvent() {
    return channel_ ? channel_->EventState() : UpnpService::InitialEvent();
}

ConnectionManagerExService::ConnectionManagerExService(const ServiceInfo& info,
                                                       ConnectionManagerExListener* listener)
    : UpnpService(info) {
    Offer<ConnectionKeepAliveAction>("ConnectionKeepAlive", listener);
}
