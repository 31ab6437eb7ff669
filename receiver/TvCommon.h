#pragma once
#include "Logger.h"

// The receiver's own log, apart from the framework's.
inline Logger& TvCommonLog() {
    static Logger& log = Logger::Instance("TvCommon");
    return log;
}
