#include "TVControlServiceFactory.h"

#include "TvAccelerometerInputService.h"
#include "TvKeyControlService.h"
#include "TvKeyboardInputService.h"
#include "TvMouseControlService.h"
#include "TvMouseInputService.h"
#include "TvOrientationInputService.h"
#include "TvTouchscreenInputService.h"

namespace {

using Factory = TVControlServiceFactory;
using ServiceMaker = std::shared_ptr<UpnpService> (*)(const Factory&, const ServiceInfo&);

// A Service given the factory's controls it names.
template <class Service, auto... kControls>
std::shared_ptr<UpnpService> Make(const Factory& factory, const ServiceInfo& info) {
    return std::make_shared<Service>(info, factory.*kControls...);
}

struct ServiceType {
    const char* suffix;
    ServiceMaker make;
};

// In matching order.
constexpr ServiceType kServiceTypes[] = {
    {":service:tvcontrol:1", &Make<TvKeyControlService, &Factory::key_control>},
    {":service:TvMouseControl:1", &Make<TvMouseControlService, &Factory::mouse_control>},
    {":service:TvMouseInput:1", &Make<TvMouseInputService, &Factory::input>},
    {":service:TvKeyboardInput:1", &Make<TvKeyboardInputService, &Factory::input>},
    {":service:TvTouchInput:1", &Make<TvTouchscreenInputService>},
    {":service:TvAccelerometerInput:1", &Make<TvAccelerometerInputService, &Factory::input>},
    {":service:TvOrientationInput:1", &Make<TvOrientationInputService, &Factory::input>},
};

constexpr const char* kDomains[] = {"urn:tundric-com", "urn:qelvar-com"};

}  // namespace

TVControlServiceFactory::TVControlServiceFactory(
    std::shared_ptr<TvInputControl> input, std::shared_ptr<TvKeyControlControl> key_control,
    std::shared_ptr<TvMouseControlControl> mouse_control)
    : input(std::move(input)),
      key_control(std::move(key_control)),
      mouse_control(std::move(mouse_control)) {}

std::shared_ptr<UpnpService> TVControlServiceFactory::CreateService(const DeviceInfo&,
                                                                    const ServiceInfo& service) {
    for (const ServiceType& type : kServiceTypes) {
        for (const char* domain : kDomains) {
            if (service.serviceType == std::string(domain) + type.suffix)
                return type.make(*this, service);
        }
    }
    return {};
}
