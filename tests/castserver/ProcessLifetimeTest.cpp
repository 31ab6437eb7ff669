// How the screen-cast server lives and dies: one instance per user (a dead
// holder's lock does not count), a crash leaves a report, a receiver that
// keeps dying is restarted only a few times a minute, on a port nobody holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <regex>
#include <vector>

#include "CrashReport.h"
#include "ListenPort.h"
#include "RestartPolicy.h"
#include "SingleInstance.h"

using namespace std::chrono_literals;

TEST(CastServerInstance, SecondInstanceIsRefusedUntilTheHolderDies) {
    QTemporaryDir dir;
    const QString lock = dir.filePath("PCBriskenServer.lock");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        SingleInstance instance(lock);
        const char byte = instance.Acquired() ? '1' : '0';
        if (write(ready[1], &byte, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, '1');
    EXPECT_FALSE(SingleInstance(lock).Acquired());

    // Killed, it leaves its lock file behind; that does not block a start.
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    ASSERT_TRUE(QFile::exists(lock));
    EXPECT_TRUE(SingleInstance(lock).Acquired());
}

TEST(CastServerCrashReport, FatalSignalWritesABacktraceAndStillKills) {
    QTemporaryDir dir;
    const pid_t child = fork();
    if (child == 0) {
        crashreport::Install(QFile::encodeName(dir.path()).toStdString(), "PCBriskenServer_");
        raise(SIGSEGV);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    const QStringList reports = QDir(dir.path()).entryList(QDir::Files);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(
        std::regex_match(reports[0].toStdString(),
                         std::regex(R"(PCBriskenServer_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.crash)")))
        << reports[0].toStdString();
    QFile report(dir.filePath(reports[0]));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const std::string text = report.readAll().toStdString();
    EXPECT_THAT(text, testing::StartsWith("PCBriskenServer ended by signal 11\n"));
    // backtrace_symbols_fd writes one line per frame, the test binary's among them.
    EXPECT_THAT(text, testing::HasSubstr("test_castserver"));
}

TEST(CastServerRestarts, QuickFailuresBackOffAndStayWithinTheLimit) {
    using Clock = RestartPolicy::Clock;
    RestartPolicy policy;
    Clock::time_point now{};
    std::vector<Clock::time_point> starts;
    std::vector<Clock::duration> delays;
    for (int i = 0; i < 12; ++i) {
        const Clock::time_point ended = now + 200ms;  // dies right after starting
        now = policy.NextStart(now, ended);
        delays.push_back(now - ended);
        starts.push_back(now);
    }
    EXPECT_EQ(delays.front(), RestartPolicy::kFirstDelay);
    EXPECT_GT(delays[1], delays[0]);
    for (auto delay : delays) EXPECT_LE(delay, RestartPolicy::kWindow);
    for (size_t i = 0; i < starts.size(); ++i) {
        const auto in_window = std::count_if(starts.begin() + i, starts.end(), [&](auto t) {
            return t < starts[i] + RestartPolicy::kWindow;
        });
        EXPECT_LE(in_window, RestartPolicy::kMaxPerWindow) << "from restart " << i;
    }

    // A run of a minute counts as recovered: the next restart is quick again.
    const Clock::time_point ended = now + RestartPolicy::kStableRun;
    EXPECT_EQ(policy.NextStart(now, ended) - ended, RestartPolicy::kFirstDelay);
}

TEST(CastServerListenPort, PortInUseIsPassedOver) {
    // Hold the first free port from 49152 the way a running server does.
    const std::uint16_t held = FirstFreeListenPort();
    ASSERT_NE(held, 0);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(held);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(fd, 1), 0);
    const std::uint16_t next = FirstFreeListenPort(held);
    EXPECT_GT(next, held);
    close(fd);
}
