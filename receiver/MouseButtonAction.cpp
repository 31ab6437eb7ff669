#include "MouseButtonAction.h"

#include "TvCommon.h"

int MouseButtonAction::ProcessRequest(const std::string&, ActionResults&) {
    LogLine(TvCommonLog(), LogLevel::Info) << "MouseButtonAction::ProcessRequest: " << key_value;
    control_->SendKey(key_value);
    return 0;
}
