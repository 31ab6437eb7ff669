#include "CastLog.h"

#include <syslog.h>

#include <QString>
#include <cstdio>
#include <mutex>

namespace {

std::once_flag syslog_opened;

const char* Prefix(CastLogLevel level) {
    switch (level) {
        case CastLogLevel::Info:
            return "[INFO] ";
        case CastLogLevel::Warning:
            return "[WARNING] ";
        case CastLogLevel::Error:
            return "[ERROR] ";
    }
    return "";
}

int Priority(CastLogLevel level) {
    switch (level) {
        case CastLogLevel::Info:
            return LOG_INFO;
        case CastLogLevel::Warning:
            return LOG_WARNING;
        case CastLogLevel::Error:
            return LOG_ERR;
    }
    return LOG_INFO;
}

}  // namespace

CastLog::~CastLog() {
    const std::string text = stream_.str();
    // One fprintf per line: stdio locks the stream, so lines of the sharing
    // threads never interleave.
    std::fprintf(stderr, "%s%s\n", Prefix(level_), text.c_str());
    std::call_once(syslog_opened, [] { openlog("PCBriskenServer", LOG_PID, LOG_USER); });
    syslog(Priority(level_), "%s", text.c_str());
}

CastLog& CastLog::operator<<(const QString& text) {
    return *this << text.toStdString();
}
