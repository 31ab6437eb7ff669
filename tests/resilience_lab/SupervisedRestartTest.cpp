// A receiver that dies (a crash in a library, the kernel's OOM killer) is
// started again by its systemd unit. Here the unit the receiver writes for
// itself (--daemon, with a stand-in
// systemctl) is run by a small supervisor that follows its ExecStart=,
// WorkingDirectory=, Restart= and RestartSec= as systemd would, and the
// killed receiver must answer again within a few seconds. (Not
// being systemd, the supervisor gets the receiver's console mode with its
// input closed; the service-mode start is the service tests' concern.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <regex>
#include <string>
#include <thread>

#include "../service/ServiceTestTools.h"
#include "HttpClient.h"
#include "LabGuard.h"

namespace {

using namespace service_test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The settings of a unit file, "Key" -> value; ExecStart= split into words.
struct Unit {
    std::map<std::string, std::string> settings;
    std::vector<std::string> command;
};

// One word of a systemd command line: double quotes with C escapes, and the
// doubled '%' and '$' that QuoteForSystemd writes.
std::vector<std::string> SplitCommand(const std::string& line) {
    std::vector<std::string> words;
    for (size_t i = 0; i < line.size();) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        std::string word;
        const bool quoted = line[i] == '"';
        if (quoted) ++i;
        for (; i < line.size() && (quoted ? line[i] != '"' : line[i] != ' '); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                word += line[++i];
            } else if ((line[i] == '%' || line[i] == '$') && i + 1 < line.size() &&
                       line[i + 1] == line[i]) {
                word += line[i++];
            } else {
                word += line[i];
            }
        }
        if (quoted) ++i;
        words.push_back(word);
    }
    return words;
}

Unit ReadUnit(const fs::path& path) {
    Unit unit;
    for (const std::string& line : ReadLines(path)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        unit.settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
    unit.command = SplitCommand(unit.settings["ExecStart"]);
    return unit;
}

// Runs a unit's command and restarts it as its Restart= asks.
class Supervisor {
public:
    Supervisor(Unit unit, fs::path log) : unit_(std::move(unit)), log_(std::move(log)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~Supervisor() {
        stopping_ = true;
        {
            std::lock_guard lock(mutex_);
            if (pid_ > 0) kill(pid_, SIGTERM);
        }
        thread_.join();
    }
    pid_t Pid() {
        std::lock_guard lock(mutex_);
        return pid_;
    }
    // Wait statuses of the runs that ended, in order.
    std::vector<int> Exits() {
        std::lock_guard lock(mutex_);
        return exits_;
    }

private:
    bool Restarts(int status) const {
        const std::string policy = unit_.settings.count("Restart") ? unit_.settings.at("Restart")
                                                                   : "no";
        const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return policy == "always" || (policy == "on-failure" && !clean) ||
               (policy == "on-abnormal" && WIFSIGNALED(status));
    }
    void Run() {
        const auto pause = std::chrono::milliseconds(
            unit_.settings.count("RestartSec") ? std::stoi(unit_.settings.at("RestartSec")) * 1000
                                               : 100);
        while (!stopping_) {
            const pid_t pid = fork();
            if (pid == 0) {
                const int out = open(log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
                dup2(out, 1);
                dup2(out, 2);
                const int in = open("/dev/null", O_RDONLY);
                dup2(in, 0);
                // As under systemd: no desktop session to inject into.
                unsetenv("DISPLAY");
                if (chdir(unit_.settings["WorkingDirectory"].c_str()) != 0) _exit(200);
                std::vector<char*> argv;
                for (auto& word : unit_.command) argv.push_back(word.data());
                argv.push_back(nullptr);
                execv(argv[0], argv.data());
                _exit(203);
            }
            {
                std::lock_guard lock(mutex_);
                pid_ = pid;
            }
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            {
                std::lock_guard lock(mutex_);
                pid_ = -1;
                exits_.push_back(status);
            }
            if (stopping_ || !Restarts(status)) break;
            std::this_thread::sleep_for(pause);
        }
    }

    Unit unit_;
    fs::path log_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    pid_t pid_ = -1;
    std::vector<int> exits_;
    std::thread thread_;
};

// The address of the `n`th start (1-based) the log shows, once it is there.
bool WaitForStart(const fs::path& log, size_t n, std::string* host, int* port,
                  Clock::duration limit) {
    const std::regex started(R"(Initialize address: ([0-9.]+):(\d+))");
    for (const auto until = Clock::now() + limit; Clock::now() < until;) {
        const std::string text = ReadFile(log);
        size_t seen = 0;
        for (std::sregex_iterator it(text.begin(), text.end(), started), end; it != end; ++it) {
            if (++seen == n) {
                *host = (*it)[1];
                *port = std::stoi((*it)[2]);
                return true;
            }
        }
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

bool Answers(const std::string& host, int port) {
    return HttpRequest(host, port, "GET", "/description.xml").status == 200;
}

}  // namespace

TEST(SupervisedReceiver, ComesBackAfterBeingKilled) {
    HALVORN_REQUIRE_LAB();
    TempDir root;
    const fs::path bin = root / "bin", units = root / "units";
    fs::create_directories(units);
    InstallFakeSystemctl(bin);
    const std::string stage = RECEIVER_STAGE;
    const Outcome installed = RunProgram({stage + "/Halvorn", "--daemon", "--max-x", "65536",
                                          "--max-y", "65536"},
                                         {{"PATH", bin.string() + ":/usr/bin:/bin"},
                                          {"SYSTEMD_UNIT_PATH", units.string()},
                                          {"NOTIFY_SOCKET", ""}},
                                         stage);
    ASSERT_TRUE(installed.Exited(0)) << installed.out << installed.err;
    const Unit unit = ReadUnit(units / "Halvorn.service");
    ASSERT_EQ(unit.settings.at("Restart"), "on-failure");
    ASSERT_EQ(unit.settings.at("StartLimitIntervalSec"), "0");
    ASSERT_FALSE(unit.command.empty());

    const fs::path log = root / "receiver.log";
    Supervisor supervisor(unit, log);
    std::string host;
    int port = 0;
    ASSERT_TRUE(WaitForStart(log, 1, &host, &port, 30s)) << ReadFile(log);
    // Its address line comes before its device is registered.
    for (const auto started = Clock::now(); !Answers(host, port) && Clock::now() - started < 10s;)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(Answers(host, port));

    const pid_t first = supervisor.Pid();
    ASSERT_GT(first, 0);
    ASSERT_EQ(kill(first, SIGKILL), 0);
    const Clock::time_point crashed = Clock::now();
    for (const auto until = crashed + 5s; supervisor.Exits().empty() && Clock::now() < until;)
        std::this_thread::sleep_for(20ms);
    const std::vector<int> exits = supervisor.Exits();
    ASSERT_EQ(exits.size(), 1u) << ReadFile(log);
    EXPECT_TRUE(WIFSIGNALED(exits[0]) && WTERMSIG(exits[0]) == SIGKILL) << exits[0];

    ASSERT_TRUE(WaitForStart(log, 2, &host, &port, 10s)) << ReadFile(log);
    while (!Answers(host, port) && Clock::now() - crashed < 10s) std::this_thread::sleep_for(20ms);
    const double back = std::chrono::duration<double>(Clock::now() - crashed).count();
    EXPECT_TRUE(Answers(host, port));
    EXPECT_LT(back, 5.0);
    std::printf("killed restart_seconds=%.2f restart_sec_setting=%s\n", back,
                unit.settings.at("RestartSec").c_str());
}
