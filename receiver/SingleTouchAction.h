#pragma once
#include "UpnpAction.h"

// One touch point; only the end of a touch is logged.
class SingleTouchAction : public UpnpAction {
public:
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    float x = 0;
    float y = 0;
    const bool touching;

protected:
    SingleTouchAction(const ServiceInfo& service, const std::string& name, bool touching);
};

class SingleTouchPressAction : public SingleTouchAction {
public:
    explicit SingleTouchPressAction(const ServiceInfo& service)
        : SingleTouchAction(service, "SingleTouchPress", true) {}
};

class SingleTouchMotionAction : public SingleTouchAction {
public:
    explicit SingleTouchMotionAction(const ServiceInfo& service)
        : SingleTouchAction(service, "SingleTouchMotion", true) {}
};

class SingleTouchReleaseAction : public SingleTouchAction {
public:
    explicit SingleTouchReleaseAction(const ServiceInfo& service)
        : SingleTouchAction(service, "SingleTouchRelease", false) {}
};
