#include "TvAccelerometerInputService.h"

#include "SensorAction.h"

std::shared_ptr<UpnpAction> TvAccelerometerInputService::CreateAction(const std::string& name) {
    if (name == kAccelerate) return std::make_shared<AccelerateAction>(service);
    return {};
}
