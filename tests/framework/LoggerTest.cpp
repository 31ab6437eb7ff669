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

TEST(Logger, InstancesAreSharedByName) {
    EXPECT_EQ(&Logger::Instance("A-log"), &Logger::Instance("A-log"));
    EXPECT_NE(&Logger::Instance("A-log"), &Logger::Instance("B-log"));
    EXPECT_EQ(FrameworkLog().Name(), "UPNPUtility");
}
