#pragma once
// The application's log: one line per CastLog, to standard error and to
// syslog under "PCBriskenServer", so a session started from the desktop
// still leaves a trace in the journal.
#include <sstream>
#include <string>

class QString;

enum class CastLogLevel : int { Info = 0, Warning = 1, Error = 2 };

class CastLog {
public:
    explicit CastLog(CastLogLevel level) : level_(level) {}
    CastLog(const CastLog&) = delete;
    CastLog& operator=(const CastLog&) = delete;
    ~CastLog();

    template <class T>
    CastLog& operator<<(const T& value) {
        stream_ << value;
        return *this;
    }
    CastLog& operator<<(const QString& text);  // as UTF-8

private:
    CastLogLevel level_;
    std::ostringstream stream_;
};
