#include "SingleTouchAction.h"

#include "TvCommon.h"

SingleTouchAction::SingleTouchAction(const ServiceInfo& service, const std::string& name,
                                     bool touching)
    : UpnpAction(service, name), touching(touching) {
    AddInput("X", &x);
    AddInput("Y", &y);
}

int SingleTouchAction::ProcessRequest(const std::string&, ActionResults&) {
    if (!touching) LogLine(TvCommonLog(), LogLevel::Silent) << "MultiTouchLeft";
    return 0;
}
