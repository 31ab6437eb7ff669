#include "TvMouseControlControl.h"

#include "TvCommon.h"

void TvMouseControlControl::SendKey(const std::string& text) {
    LogLine(TvCommonLog(), LogLevel::Silent) << "TvMouseControlControl::SendKey: " << text;
}
