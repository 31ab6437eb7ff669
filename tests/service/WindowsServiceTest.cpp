// The service wrapper against a throw-away unit directory and a fake
// systemctl. Run paths execute in forked children so that their signals,
// standard streams and current directory stay out of the test process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <functional>
#include <thread>

#include "EventLog.h"
#include "ServiceTestTools.h"
#include "TerminationSignals.h"
#include "WindowsService.h"

namespace {

using namespace service_test;

// One whole line straight to the descriptor, so lines from the handler's
// thread never interleave with others.
void Say(const std::string& text) {
    const std::string line = text + "\n";
    [[maybe_unused]] ssize_t written = ::write(1, line.data(), line.size());
}

class TestService : public WindowsService {
public:
    using WindowsService::ServiceMain;
    using WindowsService::WindowsService;

    int Initialize() override {
        Say(report_directory ? "[Initialize] in " + fs::current_path().string() : "[Initialize]");
        return initialize_result;
    }
    void Finalize() override { Say("[Finalize]"); }

    int initialize_result = 0;
    bool report_directory = false;
};

// A forked child running `body`; its stdout is read here, its stdin is a
// pipe written here or /dev/null.
class Child {
public:
    Child(const std::function<int()>& body, bool with_input) {
        int output[2];
        int input[2] = {-1, -1};
        if (pipe(output) != 0 || (with_input && pipe(input) != 0)) throw std::runtime_error("pipe");
        std::cout.flush();
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            const int in = with_input ? input[0] : open("/dev/null", O_RDONLY);
            dup2(in, 0);
            dup2(output[1], 1);
            for (int fd : {output[0], output[1], input[0], input[1], in})
                if (fd > 2) close(fd);
            platform::SetEventLogSink(
                [](const std::string&, const std::string& text) { Say("log: " + text); });
            const int code = body();
            std::cout.flush();
            _exit(code);
        }
        close(output[1]);
        out_ = output[0];
        if (with_input) {
            close(input[0]);
            in_ = input[1];
        }
    }
    ~Child() {
        CloseInput();
        if (out_ >= 0) close(out_);
        if (pid_ > 0 && !waited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    pid_t Pid() const { return pid_; }
    void Write(const std::string& text) {
        [[maybe_unused]] ssize_t written = ::write(in_, text.data(), text.size());
    }
    void CloseInput() {
        if (in_ >= 0) close(in_);
        in_ = -1;
    }
    // All output so far, read at least up to `text` (or to the end).
    std::string ReadUntil(const std::string& text) {
        char buffer[512];
        while (output_.find(text) == std::string::npos) {
            const ssize_t got = read(out_, buffer, sizeof buffer);
            if (got <= 0) break;
            output_.append(buffer, static_cast<size_t>(got));
        }
        return output_;
    }
    std::string ReadToEnd() { return ReadUntil(std::string(1, '\0')); }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        waited_ = true;
        return status;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    bool waited_ = false;
    std::string output_;
};

// The notification socket systemd would hand a Type=notify service.
class NotifySocket {
public:
    explicit NotifySocket(fs::path path) : path_(std::move(path)) {
        fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        path_.string().copy(address.sun_path, sizeof address.sun_path - 1);
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("notify socket");
    }
    ~NotifySocket() { close(fd_); }
    const fs::path& Path() const { return path_; }
    std::string Receive() {
        char buffer[1024];
        const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
    }

private:
    fs::path path_;
    int fd_ = -1;
};

std::string Without(std::string text, const std::string& line) {
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line))
        text.erase(at, line.size());
    return text;
}

class WindowsServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(units);
        systemctl = InstallFakeSystemctl(root / "bin");
        platform::SetEventLogSink([this](const std::string& source, const std::string& text) {
            EXPECT_EQ(source, name);
            logged.push_back(text);
        });
    }
    void TearDown() override { platform::SetEventLogSink(nullptr); }

    platform::ServiceManager Manager() const {
        return platform::ServiceManager(units.string(), systemctl.string());
    }
    std::vector<std::string> Calls() const { return ReadLines(SystemctlLog(root / "bin")); }
    fs::path Unit() const { return units / (name + ".service"); }
    void FailVerb(const std::string& verb) {
        std::ofstream(root / "bin" / ("fail-" + verb)).put('\n');
    }

    TempDir root;
    fs::path units = root / "units";
    fs::path systemctl;
    const fs::path executable = platform::ExecutablePath();
    const std::string name = executable.filename().string();
    const std::string unit = name + ".service";
    std::vector<std::string> logged;
};

TEST_F(WindowsServiceTest, ServiceIsNamedAfterExecutable) {
    TestService service(Manager());
    EXPECT_EQ(service.ServiceName(), "windows_service_test");
}

TEST_F(WindowsServiceTest, InstallWritesUnitWithSettingsAndStartsIt) {
    TestService service(Manager());
    service.web_root = "/srv/tv web/";
    service.dev_desc = "Tv Device.xml";
    service.service_list = "/srv/tv web/Service List.xml";
    service.max_x = 1920;
    service.max_y = 1080;
    service.port = 5000;

    testing::internal::CaptureStdout();
    EXPECT_TRUE(service.Install());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(logged.empty());

    const std::vector<std::string> lines = ReadLines(Unit());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "ExecStart=\"" + executable.string() +
                            "\" \"--web-root\" \"/srv/tv web/\" \"--dev-desc\" \"Tv Device.xml\" "
                            "\"--service-list\" \"/srv/tv web/Service List.xml\" \"--max-x\" "
                            "\"1920\" \"--max-y\" \"1080\" \"--port\" \"5000\""),
              lines.end())
        << ReadFile(Unit());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "WorkingDirectory=" + executable.parent_path().string()),
              lines.end())
        << ReadFile(Unit());
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"daemon-reload", "enable " + unit, "start " + unit}));
}

TEST_F(WindowsServiceTest, InstallReplacesInstalledService) {
    platform::ServiceManager manager = Manager();
    ASSERT_TRUE(manager.Create(name, {"/bin/false", "stale"}, "/"));
    TestService service(Manager());
    service.port = 5000;

    testing::internal::CaptureStdout();
    EXPECT_TRUE(service.Install());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EXPECT_EQ(ReadFile(Unit()).find("stale"), std::string::npos);
    EXPECT_NE(ReadFile(Unit()).find("\"--port\" \"5000\""), std::string::npos);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"daemon-reload", "stop " + unit, "disable " + unit,
                                                 "daemon-reload", "daemon-reload", "enable " + unit,
                                                 "start " + unit}));
}

TEST_F(WindowsServiceTest, InstallFailuresAreReported) {
    {
        TestService service(
            platform::ServiceManager((root / "missing").string(), systemctl.string()));
        testing::internal::CaptureStdout();
        EXPECT_FALSE(service.Install());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "ServiceInstall failed: " + name + "\n");
        EXPECT_EQ(logged, std::vector<std::string>{"ServiceInstall CreateService failed\n"});
        EXPECT_TRUE(Calls().empty()) << "nothing to enable or start";
    }
    logged.clear();
    {
        // A unit name that cannot be deleted: the old service stays.
        fs::create_directories(Unit() / "stuck");
        TestService service(Manager());
        testing::internal::CaptureStdout();
        EXPECT_FALSE(service.Install());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "ServiceInstall failed: " + name + "\n");
        EXPECT_EQ(logged, std::vector<std::string>{"ServiceInstall ServiceUninstall failed\n"});
        EXPECT_EQ(Calls(), (std::vector<std::string>{"stop " + unit, "disable " + unit}));
        fs::remove_all(Unit());
    }
    logged.clear();
    {
        FailVerb("start");
        TestService service(Manager());
        testing::internal::CaptureStdout();
        EXPECT_FALSE(service.Install());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "ServiceStart failed: " + name + "\n");
        EXPECT_TRUE(logged.empty());
        EXPECT_TRUE(fs::exists(Unit())) << "installed, only not started";
    }
}

TEST_F(WindowsServiceTest, UninstallStopsDisablesAndRemoves) {
    TestService service(Manager());
    testing::internal::CaptureStdout();
    EXPECT_TRUE(service.Uninstall()) << "nothing installed is success";
    EXPECT_TRUE(Calls().empty());

    ASSERT_TRUE(Manager().Create(name, {"/bin/true"}, "/"));
    EXPECT_TRUE(service.Uninstall());
    EXPECT_FALSE(fs::exists(Unit()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Calls(), (std::vector<std::string>{"daemon-reload", "stop " + unit, "disable " + unit,
                                                 "daemon-reload"}));

    // Failing stop and disable do not matter; a unit that stays does.
    FailVerb("stop");
    FailVerb("disable");
    ASSERT_TRUE(Manager().Create(name, {"/bin/true"}, "/"));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(service.Uninstall());
    fs::create_directories(Unit() / "stuck");
    EXPECT_FALSE(service.Uninstall());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Uninstall service " + name + " failed\n");
    EXPECT_TRUE(logged.empty());
}

TEST_F(WindowsServiceTest, RunByHandWithServiceInstalledOnlyLogs) {
    ASSERT_TRUE(Manager().Create(name, {"/bin/true"}, "/"));
    // A notification socket inherited from some other service does not make
    // this process the service.
    const fs::path socket_path = root / "notify";
    NotifySocket notify(socket_path);
    Child child(
        [&] {
            setenv("NOTIFY_SOCKET", socket_path.c_str(), 1);
            TestService service(Manager());
            return service.Run() ? 0 : 3;
        },
        true);
    EXPECT_EQ(child.ReadToEnd(), "log: StartServiceCtrlDispatcher=0, GetLastError=1063\n");
    EXPECT_TRUE(WIFEXITED(child.Wait()));
}

TEST_F(WindowsServiceTest, ConsoleModeRunsUntilQ) {
    Child child(
        [&] {
            TestService service(Manager());
            return service.Run() ? 0 : 3;
        },
        true);
    child.Write("hello\n");
    child.ReadUntil("press");
    child.Write("Q\n");
    child.Write("q\n");
    EXPECT_EQ(child.ReadToEnd(),
              "Debug mode start.\n"
              "[Initialize]\n"
              "\n......press 'q' to exit......\n"
              "\n......press 'q' to exit......\n"
              "[Finalize]\n"
              "Debug mode end.\n");
    const int status = child.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(WindowsServiceTest, ConsoleModeStopsWhenInitializeFails) {
    Child child(
        [&] {
            TestService service(Manager());
            service.initialize_result = 3;
            return service.Run() ? 0 : 7;
        },
        true);
    EXPECT_EQ(child.ReadToEnd(), "Debug mode start.\n[Initialize]\nInitialize failed: 3\n");
    const int status = child.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
}

TEST_F(WindowsServiceTest, ConsoleCloseSignalsFinalizeOnceAndEnd) {
    for (int signal : {SIGHUP, SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        Child child(
            [&] {
                TestService service(Manager());
                return service.Run() ? 0 : 3;
            },
            true);
        child.ReadUntil("[Initialize]\n");
        // Blocked since Run began: delivered to the handler however early.
        kill(child.Pid(), signal);
        EXPECT_EQ(child.ReadToEnd(),
                  "Debug mode start.\n"
                  "[Initialize]\n"
                  "log: HandlerRoutine: Finalize begin\n"
                  "[Finalize]\n"
                  "log: HandlerRoutine: Finalize end\n");
        const int status = child.Wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    }
}

TEST_F(WindowsServiceTest, ConsoleModeWithoutInputWaitsForSignal) {
    Child child(
        [&] {
            TestService service(Manager());
            return service.Run() ? 0 : 3;
        },
        false);
    child.ReadUntil("[Initialize]\n");
    // Time for a build that spins on the closed input to show it; a correct
    // one prints the same whatever the pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(child.Pid(), SIGTERM);
    EXPECT_EQ(child.ReadToEnd(),
              "Debug mode start.\n"
              "[Initialize]\n"
              "log: HandlerRoutine: Finalize begin\n"
              "[Finalize]\n"
              "log: HandlerRoutine: Finalize end\n");
    const int status = child.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}

TEST_F(WindowsServiceTest, ServiceMainRunsDeviceUntilStopRequest) {
    NotifySocket notify(root / "notify");
    Child child(
        [&] {
            setenv("NOTIFY_SOCKET", notify.Path().c_str(), 1);
            platform::BlockTerminationSignals();  // as Run does first
            TestService service(Manager());
            service.report_directory = true;
            fs::current_path("/");
            service.ServiceMain();
            return 0;
        },
        false);
    EXPECT_EQ(notify.Receive(), "READY=1\nSTATUS=running");
    kill(child.Pid(), SIGTERM);
    EXPECT_EQ(notify.Receive(), "STOPPING=1");
    EXPECT_EQ(Without(child.ReadToEnd(), "log: Service runing...\n"),
              "[Initialize] in " + executable.parent_path().string() +
                  "\n"
                  "log: Service started\n"
                  "log: want to stop Service\n"
                  "log: Service stopped\n"
                  "[Finalize]\n"
                  "log: Finalize success\n");
    const int status = child.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(WindowsServiceTest, ServiceMainWithFailedInitializeNeverReportsReady) {
    NotifySocket notify(root / "notify");
    Child child(
        [&] {
            setenv("NOTIFY_SOCKET", notify.Path().c_str(), 1);
            platform::BlockTerminationSignals();
            TestService service(Manager());
            service.initialize_result = 7;
            service.ServiceMain();
            return 0;
        },
        false);
    EXPECT_EQ(notify.Receive(), "STATUS=Initialize failed: 7");
    EXPECT_EQ(child.ReadToEnd(), "[Initialize]\nlog: Initialize failed: 7\n");
    child.Wait();
}

}  // namespace
