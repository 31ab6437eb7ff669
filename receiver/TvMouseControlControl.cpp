#include "TvMouseControlControl.h"

#include "TvCommon.h"

std::shared_ptr<TvMouseControlControl> TvMouseControlControl::Instance() {
    static const auto instance = std::make_shared<TvMouseControlControl>();
    return instance;
}

void TvMouseControlControl::SendKey(const std::string& text) {
    LogLine(TvCommonLog(), LogLevel::Silent) << "TvMouseControlControl::SendKey: " << text;
}
