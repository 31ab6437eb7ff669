#include "Logger.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <cstdio>
#include <map>
#include <memory>

namespace {

struct LevelInfo {
    const char* prefix;
    FILE* stream;
};

const LevelInfo* Level(int level) {
    static const LevelInfo levels[] = {
        {"[INFO] ", stdout}, {"[WARNING] ", stderr}, {"[ERROR] ", stderr}, {"[SILENT] ", stdout}};
    if (level < 0 || level > 3) return nullptr;
    return &levels[level];
}

}  // namespace

Logger& Logger::Instance(const std::string& name) {
    static std::mutex registry_mutex;
    static std::map<std::string, std::unique_ptr<Logger>> registry;
    std::lock_guard<std::mutex> guard(registry_mutex);
    auto& slot = registry[name];
    if (!slot) slot = std::make_unique<Logger>(name);
    return *slot;
}

std::string Logger::TimeStamp() {
    return boost::posix_time::to_simple_string(boost::posix_time::microsec_clock::local_time());
}

void Logger::Write(const std::string& text, int level) {
    if (level < threshold_) return;
    const LevelInfo* info = Level(level);
    if (!info) return;
    std::string line = info->prefix;
    line += TimeStamp();
    line += ' ';
    line += text;
    std::lock_guard<std::mutex> guard(mutex_);
    std::fwrite(line.data(), 1, line.size(), info->stream);
    std::fflush(info->stream);
}

LogLine::~LogLine() {
    if (!enabled_) return;
    std::string text = stream_.str();
    if (text.empty()) return;
    text += '\n';
    logger_->Write(text, level_);
}
