#include "MouseButtonAction.h"

#include "TvCommon.h"
#include "TvMouseControlControl.h"

int MouseButtonAction::ProcessRequest(const std::string&, ActionResults&) {
    LogLine(TvCommonLog(), LogLevel::Info) << "MouseButtonAction::ProcessRequest: " << key_value;
    TvMouseControlControl::Instance()->SendKey(key_value);
    return 0;
}
