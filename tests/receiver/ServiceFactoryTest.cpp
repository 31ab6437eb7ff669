#include <gtest/gtest.h>

#include <typeinfo>

#include "TVControlServiceFactory.h"
#include "TvAccelerometerInputService.h"
#include "TvKeyControlService.h"
#include "TvKeyboardInputService.h"
#include "TvMouseControlService.h"
#include "TvMouseInputService.h"
#include "TvOrientationInputService.h"
#include "TvTouchscreenInputService.h"

namespace {

std::shared_ptr<UpnpService> Create(const std::string& type) {
    TVControlServiceFactory factory(std::make_shared<TvInputControl>(nullptr, 0, 0),
                                    std::make_shared<TvKeyControlControl>("", ""),
                                    std::make_shared<TvMouseControlControl>(""));
    return factory.CreateService({}, {type, "urn:x:serviceId:1", "", "", ""});
}

TEST(TVControlServiceFactory, KnowsEveryTypeInBothDomains) {
    const std::pair<const char*, const std::type_info&> services[] = {
        {":service:tvcontrol:1", typeid(TvKeyControlService)},
        {":service:TvMouseControl:1", typeid(TvMouseControlService)},
        {":service:TvMouseInput:1", typeid(TvMouseInputService)},
        {":service:TvKeyboardInput:1", typeid(TvKeyboardInputService)},
        {":service:TvTouchInput:1", typeid(TvTouchscreenInputService)},
        {":service:TvAccelerometerInput:1", typeid(TvAccelerometerInputService)},
        {":service:TvOrientationInput:1", typeid(TvOrientationInputService)},
    };
    for (const auto& [suffix, expected] : services) {
        for (const std::string domain : {"urn:tundric-com", "urn:qelvar-com"}) {
            const auto service = Create(domain + suffix);
            ASSERT_TRUE(service) << domain + suffix;
            EXPECT_EQ(typeid(*service), expected) << domain + suffix;
            EXPECT_EQ(service->Info().serviceType, domain + suffix);
        }
    }
}

TEST(TVControlServiceFactory, OtherTypesGiveNoService) {
    for (const char* type :
         {"", "urn:tundric-com:service:TVControl:1", "urn:tundric-com:service:tvmouseinput:1",
          "urn:Tundric-com:service:tvcontrol:1", "urn:tundric-com:service:tvcontrol:2",
          "urn:example-com:service:tvcontrol:1", "urn:qelvar-com:service:tvcontrol:1 "})
        EXPECT_FALSE(Create(type)) << type;
}

}  // namespace
