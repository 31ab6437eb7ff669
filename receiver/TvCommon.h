#pragma once
#include "Logger.h"

// The receiver's own log, apart from the framework's.
inline Logger& TvCommonLog() { return Logger::Instance("TvCommon"); }
