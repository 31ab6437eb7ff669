#include "EventLog.h"

#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace platform {

namespace {

// openlog's ident is process-wide: one message at a time.
std::mutex& LogMutex() {
    static std::mutex mutex;
    return mutex;
}

EventLogSink& Sink() {
    static EventLogSink sink;
    return sink;
}

}  // namespace

void EventLogWrite(const std::string& source, const char* format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);

    std::lock_guard<std::mutex> guard(LogMutex());
    if (Sink()) {
        Sink()(source, text);
        return;
    }
    // The source is registered for this one message, as the event log's is.
    openlog(source.c_str(), LOG_PID, LOG_DAEMON);
    syslog(LOG_INFO, "%s", text);
    closelog();
}

void SetEventLogSink(EventLogSink sink) {
    std::lock_guard<std::mutex> guard(LogMutex());
    Sink() = std::move(sink);
}

}  // namespace platform
