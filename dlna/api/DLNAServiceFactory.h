#pragma once
#include <memory>

#include "UpnpServiceFactory.h"

class MediaRenderer;
class MediaServer;
class AuthenticationManager;
class ShareTree;

// Makes the library's services by exact service type. The bridge a service
// reports to is wired in only when the device's type is the bridge's: remote
// devices (an empty device type) and devices of another type get services
// without a listener.
class DLNAServiceFactory : public UpnpServiceFactory {
public:
    DLNAServiceFactory(MediaRenderer* renderer, MediaServer* server,
                       std::shared_ptr<AuthenticationManager> authentication,
                       ShareTree* shares)
        : renderer_(renderer),
          server_(server),
          authentication_(std::move(authentication)),
          shares_(shares) {}

    std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                               const ServiceInfo& service) override;

private:
    MediaRenderer* renderer_;
    MediaServer* server_;
    std::shared_ptr<AuthenticationManager> authentication_;
    ShareTree* shares_;
};
