#include "TVControlServiceFactory.h"

#include "TvAccelerometerInputService.h"
#include "TvKeyControlService.h"
#include "TvKeyboardInputService.h"
#include "TvMouseControlService.h"
#include "TvMouseInputService.h"
#include "TvOrientationInputService.h"
#include "TvTouchscreenInputService.h"

namespace {

using ServiceMaker = std::shared_ptr<UpnpService> (*)(const ServiceInfo&);

template <class Service>
std::shared_ptr<UpnpService> Make(const ServiceInfo& info) {
    return std::make_shared<Service>(info);
}

struct ServiceType {
    const char* suffix;
    ServiceMaker make;
};

// In matching order.
constexpr ServiceType kServiceTypes[] = {
    {":service:tvcontrol:1", &Make<TvKeyControlService>},
    {":service:TvMouseControl:1", &Make<TvMouseControlService>},
    {":service:TvMouseInput:1", &Make<TvMouseInputService>},
    {":service:TvKeyboardInput:1", &Make<TvKeyboardInputService>},
    {":service:TvTouchInput:1", &Make<TvTouchscreenInputService>},
    {":service:TvAccelerometerInput:1", &Make<TvAccelerometerInputService>},
    {":service:TvOrientationInput:1", &Make<TvOrientationInputService>},
};

constexpr const char* kDomains[] = {"urn:tundric-com", "urn:qelvar-com"};

}  // namespace

std::shared_ptr<UpnpService> TVControlServiceFactory::CreateService(const DeviceInfo&,
                                                                    const ServiceInfo& service) {
    for (const ServiceType& type : kServiceTypes) {
        for (const char* domain : kDomains) {
            if (service.serviceType == std::string(domain) + type.suffix) return type.make(service);
        }
    }
    return {};
}
