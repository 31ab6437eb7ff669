#pragma once
#include <functional>
#include <string>

namespace platform {

// One informational message to the system log under the given source name.
// printf-style; the text is cut at 255 bytes like the service wrapper's
// message buffer.
void EventLogWrite(const std::string& source, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// While set, messages go to the sink instead of the system log (test double).
using EventLogSink = std::function<void(const std::string& source, const std::string& text)>;
void SetEventLogSink(EventLogSink sink);

}  // namespace platform
