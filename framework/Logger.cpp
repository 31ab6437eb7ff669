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

// One character of `text` at `at` as it goes into the log; `size` gets the
// bytes it spans. A UTF-8 sequence stays whole so a cut never splits it.
std::string_view Escaped(std::string_view text, size_t at, size_t* size, char (&buffer)[5]) {
    const auto c = static_cast<unsigned char>(text[at]);
    *size = 1;
    switch (c) {
        case '\\':
            return "\\\\";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
        default:
            break;
    }
    if (c < 0x20 || c == 0x7f) {
        std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
        return {buffer, 4};
    }
    if (c >= 0xc0) {
        const size_t length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : 2;
        while (*size < length && at + *size < text.size() &&
               (static_cast<unsigned char>(text[at + *size]) & 0xc0) == 0x80)
            ++*size;
    }
    return text.substr(at, *size);
}

}  // namespace

std::string LogSafe(std::string_view text, size_t limit) {
    std::string safe;
    char buffer[5];
    size_t at = 0;
    while (at < text.size()) {
        size_t size = 0;
        const std::string_view piece = Escaped(text, at, &size, buffer);
        if (safe.size() + piece.size() > limit) break;
        safe += piece;
        at += size;
    }
    if (at < text.size()) safe += "...(" + std::to_string(text.size()) + " bytes)";
    return safe;
}

Logger& Logger::Instance(const std::string& name) {
    // Never destroyed: threads that outlive main (the metadata readers, the
    // web server's) may still log while static objects are torn down.
    static auto* registry_mutex = new std::mutex();
    static auto* registry = new std::map<std::string, std::unique_ptr<Logger>>();
    std::lock_guard<std::mutex> guard(*registry_mutex);
    auto& slot = (*registry)[name];
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

void Logger::WriteLines(const std::vector<std::string>& lines, int level) {
    if (level < threshold_ || lines.empty()) return;
    const LevelInfo* info = Level(level);
    if (!info) return;
    const std::string stamp = TimeStamp();
    std::string text;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        text.append(info->prefix).append(stamp).append(1, ' ').append(line).append(1, '\n');
    }
    std::lock_guard<std::mutex> guard(mutex_);
    std::fwrite(text.data(), 1, text.size(), info->stream);
    std::fflush(info->stream);
}

LogLine::~LogLine() {
    if (!enabled_) return;
    std::string text = stream_.str();
    if (text.empty()) return;
    text += '\n';
    logger_->Write(text, level_);
}
