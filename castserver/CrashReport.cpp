#include "CrashReport.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace crashreport {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kMaxFrames = 64;

// Everything the handler needs is prepared beforehand: in signal context
// only async-signal-safe calls are allowed, which rules out localtime and
// any allocation.
char path_head[4096];
long utc_offset = 0;  // seconds east of UTC when the handler was installed

void Append(char* buffer, size_t* length, size_t capacity, const char* text) {
    while (*text && *length + 1 < capacity) buffer[(*length)++] = *text++;
    buffer[*length] = '\0';
}

void AppendNumber(char* buffer, size_t* length, size_t capacity, long value, int width) {
    char digits[24];
    int count = 0;
    const bool negative = value < 0;
    unsigned long magnitude = static_cast<unsigned long>(value);
    if (negative) magnitude = 0ul - magnitude;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude && count < 20);
    while (count < width) digits[count++] = '0';
    if (negative) digits[count++] = '-';
    while (count > 0 && *length + 1 < capacity) buffer[(*length)++] = digits[--count];
    buffer[*length] = '\0';
}

// Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
void CivilFromDays(long days, long* year, long* month, long* day) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long doe = days - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    *day = doy - (153 * mp + 2) / 5 + 1;
    *month = mp < 10 ? mp + 3 : mp - 9;
    *year = yoe + era * 400 + (*month <= 2 ? 1 : 0);
}

void Handler(int signal) {
    char path[sizeof path_head + 32];
    size_t length = 0;
    Append(path, &length, sizeof path, path_head);

    const long local = static_cast<long>(time(nullptr)) + utc_offset;
    long days = local / 86400, seconds = local % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    long year = 0, month = 0, day = 0;
    CivilFromDays(days, &year, &month, &day);
    AppendNumber(path, &length, sizeof path, year, 4);
    Append(path, &length, sizeof path, "-");
    AppendNumber(path, &length, sizeof path, month, 2);
    Append(path, &length, sizeof path, "-");
    AppendNumber(path, &length, sizeof path, day, 2);
    Append(path, &length, sizeof path, "_");
    AppendNumber(path, &length, sizeof path, seconds / 3600, 2);
    Append(path, &length, sizeof path, "-");
    AppendNumber(path, &length, sizeof path, seconds / 60 % 60, 2);
    Append(path, &length, sizeof path, "-");
    AppendNumber(path, &length, sizeof path, seconds % 60, 2);
    Append(path, &length, sizeof path, ".crash");

    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        char header[96];
        size_t header_length = 0;
        Append(header, &header_length, sizeof header, "PCBriskenServer ended by signal ");
        AppendNumber(header, &header_length, sizeof header, signal, 1);
        Append(header, &header_length, sizeof header, "\n");
        ssize_t ignored = write(fd, header, header_length);
        (void)ignored;
        void* frames[kMaxFrames];
        backtrace_symbols_fd(frames, backtrace(frames, kMaxFrames), fd);
        close(fd);
    }
    // SA_RESETHAND restored the default action; the signal is delivered
    // again once this handler returns (a faulting instruction re-faults).
    raise(signal);
}

}  // namespace

bool Install(const std::string& folder, const std::string& prefix) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string head = folder + "/" + prefix;
    if (head.size() >= sizeof path_head) return false;
    std::memcpy(path_head, head.c_str(), head.size() + 1);

    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    utc_offset = local.tm_gmtoff;

    // The first backtrace loads libgcc, which allocates: do it now, not in
    // the handler.
    void* frames[1];
    backtrace(frames, 1);

    // A stack overflow leaves no stack for the handler: give it its own.
    static char alternate_stack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternate_stack;
    stack.ss_size = sizeof alternate_stack;
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_handler = Handler;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    bool installed = true;
    for (int signal : kSignals) installed = sigaction(signal, &action, nullptr) == 0 && installed;
    return installed;
}

}  // namespace crashreport
