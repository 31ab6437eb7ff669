#include "MultiTouchAction.h"

#include "TvCommon.h"
#include "UpnpErrorMessages.h"

MultiTouchAction::MultiTouchAction(const ServiceInfo& service) : UpnpAction(service, "MultiTouch") {
    AddInput("X", &x_list);
    AddInput("Y", &y_list);
}

std::optional<std::vector<float>> MultiTouchAction::ParseList(const std::string& list) {
    std::vector<float> values;
    std::string::size_type start = 0;
    while (true) {
        const auto end = list.find(' ', start);
        float value = 0;
        if (!ConvertParameter(list.substr(start, end - start), value)) return std::nullopt;
        values.push_back(value);
        if (end == std::string::npos) return values;
        start = end + 1;
    }
}

int MultiTouchAction::ProcessRequest(const std::string&, ActionResults&) {
    if (x_list.empty() || y_list.empty()) {
        LogLine(TvCommonLog(), LogLevel::Silent) << "MultiTouchLeft";
        return 0;
    }
    const auto xs = ParseList(x_list);
    const auto ys = ParseList(y_list);
    if (!xs || !ys || xs->size() != ys->size()) return upnp_error::kInvalidArgs;
    return 0;
}
