#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "Logger.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

TEST(Logger, TimeStampHasYearMonthNameDayAndMicroseconds) {
    EXPECT_TRUE(std::regex_match(
        Logger::TimeStamp(),
        std::regex(R"(\d{4}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\d{2} )"
                   R"(\d{2}:\d{2}:\d{2}\.\d{6})")))
        << Logger::TimeStamp();
}

TEST(Logger, LevelsGoToTheirStreamsWithPrefixes) {
    Logger& log = Logger::Instance("LoggerTest");
    CaptureStdout();
    CaptureStderr();
    LogLine(log, LogLevel::Info) << "info " << 1;
    LogLine(log, LogLevel::Warning) << "warning " << 2;
    LogLine(log, LogLevel::Error) << "error " << 3;
    LogLine(log, LogLevel::Silent) << "silent " << 4;
    std::string out = GetCapturedStdout();
    std::string err = GetCapturedStderr();

    const std::string stamp = R"(\d{4}-\w{3}-\d{2} \d{2}:\d{2}:\d{2}\.\d{6})";
    EXPECT_TRUE(std::regex_match(out, std::regex(R"(\[SILENT\] )" + stamp + " silent 4\n")))
        << out;
    EXPECT_TRUE(std::regex_match(
        err, std::regex(R"(\[WARNING\] )" + stamp + " warning 2\n" + R"(\[ERROR\] )" + stamp +
                        " error 3\n")))
        << err;
}

TEST(Logger, OneLinePerLogLineAndNothingForEmptyLines) {
    Logger& log = Logger::Instance("LoggerTest");
    CaptureStdout();
    { LogLine line(log, LogLevel::Silent); }
    LogLine(log, LogLevel::Silent) << "ends in newline\n";
    std::string out = GetCapturedStdout();
    // A message ending in a line end yields an empty line after it.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
    EXPECT_NE(out.find("ends in newline\n\n"), std::string::npos);
}

TEST(Logger, WriteBelowThresholdOrOutsideLevelsWritesNothing) {
    Logger& log = Logger::Instance("LoggerTest");
    EXPECT_EQ(log.Threshold(), 1);
    CaptureStdout();
    CaptureStderr();
    log.Write("zero\n", 0);
    log.Write("four\n", 4);
    log.Write("negative\n", -1);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(GetCapturedStderr(), "");
}

// The lines come out as LogLine would have written them one by one.
TEST(Logger, WriteLinesGivesEachLineItsPrefixAndStamp) {
    Logger& log = Logger::Instance("LoggerTest");
    CaptureStderr();
    log.WriteLines({"first", "", "second"}, static_cast<int>(LogLevel::Warning));
    log.WriteLines({"not shown"}, static_cast<int>(LogLevel::Info));
    const std::string err = GetCapturedStderr();
    const std::string stamp = R"(\d{4}-\w{3}-\d{2} \d{2}:\d{2}:\d{2}\.\d{6})";
    EXPECT_TRUE(std::regex_match(err, std::regex(R"(\[WARNING\] )" + stamp + " first\n" +
                                                 R"(\[WARNING\] )" + stamp + " second\n")))
        << err;
}

TEST(Logger, InstancesAreSharedByName) {
    EXPECT_EQ(&Logger::Instance("A-log"), &Logger::Instance("A-log"));
    EXPECT_NE(&Logger::Instance("A-log"), &Logger::Instance("B-log"));
    EXPECT_EQ(FrameworkLog().Name(), "UPNPUtility");
}

TEST(LogSafe, EscapesControlCharactersAndCutsBetweenCharacters) {
    const std::string long_text(300, 'a');
    const struct {
        std::string text;
        size_t limit;
        std::string logged;
    } cases[] = {
        {"KEY_A", 256, "KEY_A"},
        {"", 256, ""},
        {"a\nb\r\tc\\d", 256, "a\\nb\\r\\tc\\\\d"},
        {std::string("\x01\x1b[2J\x7f\0z", 8), 256, "\\x01\\x1b[2J\\x7f\\x00z"},
        {"KEY_A\n[ERROR] 2011-Mar-07 forged", 256, "KEY_A\\n[ERROR] 2011-Mar-07 forged"},
        {"grüße €", 256, "grüße €"},
        {long_text, 256, std::string(256, 'a') + "...(300 bytes)"},
        {"abcdef", 6, "abcdef"},
        {"abcdefg", 6, "abcdef...(7 bytes)"},
        // Neither an escape nor a UTF-8 sequence is split by the cut.
        {"abcde\n", 6, "abcde...(6 bytes)"},
        {"abcde\x02", 8, "abcde...(6 bytes)"},
        {"abcdeé", 6, "abcde...(7 bytes)"},
        {"abc€", 5, "abc...(6 bytes)"},
        {"abc€", 6, "abc€"},
    };
    for (const auto& c : cases) EXPECT_EQ(LogSafe(c.text, c.limit), c.logged) << c.text;
}
