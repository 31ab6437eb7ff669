#pragma once
#include "Logger.h"

// The library's own log, apart from the framework's.
inline Logger& DlnaLog() {
    static Logger& log = Logger::Instance("DLNA");
    return log;
}
