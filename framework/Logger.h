#pragma once
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

enum class LogLevel : int { Info = 0, Warning = 1, Error = 2, Silent = 3 };

// A named log. Lines at or above the threshold go to standard output (Info,
// Silent) or standard error (Warning, Error) with a prefix and a local time
// stamp; each line is written whole under the logger's own mutex.
class Logger {
public:
    static Logger& Instance(const std::string& name);

    void Write(const std::string& text, int level);
    // Several lines at once, each as Write would give it (with one time
    // stamp): a parser's warnings cost one write, not one each.
    void WriteLines(const std::vector<std::string>& lines, int level);
    int Threshold() const { return threshold_; }
    const std::string& Name() const { return name_; }

    // "2011-Mar-07 14:05:09.123456", local time.
    static std::string TimeStamp();

    explicit Logger(std::string name) : name_(std::move(name)) {}

private:
    std::mutex mutex_;
    int threshold_ = 1;
    std::string name_;
};

// One log line: collects insertions and hands the text, with a line end, to
// the logger when it goes out of scope. Below the threshold it does nothing.
class LogLine {
public:
    LogLine(Logger& logger, LogLevel level)
        : logger_(&logger),
          level_(static_cast<int>(level)),
          enabled_(level_ >= logger.Threshold()) {}
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;
    ~LogLine();

    template <class T>
    LogLine& operator<<(const T& value) {
        if (enabled_) stream_ << value;
        return *this;
    }

private:
    Logger* logger_;
    int level_;
    bool enabled_;
    std::ostringstream stream_;
};

// Client text for a log line: backslash and control characters escaped, so
// a value cannot forge a line, and cut after about `limit` bytes (between
// characters, marked with the original length), so it cannot flood the log.
std::string LogSafe(std::string_view text, size_t limit = 256);

// The framework's own log. Loggers live until exit, so the lookup is done once.
inline Logger& FrameworkLog() {
    static Logger& log = Logger::Instance("UPNPUtility");
    return log;
}
