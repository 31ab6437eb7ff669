#include "TvOrientationInputService.h"

#include "SensorAction.h"

std::shared_ptr<UpnpAction> TvOrientationInputService::CreateAction(const std::string& name) {
    if (name == kOrientate) return std::make_shared<OrientateAction>(service);
    return {};
}
