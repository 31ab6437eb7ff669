// The staged tray application on a private X server with a tray host, inside
// the lab: its window and tray icon, one instance only, its media server
// browsed by a GUPnP control point, the receiver it runs, restarts and
// stops, and the fake Splashtop server it starts and stops.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "ChildProcess.h"
#include "HttpClient.h"
#include "LabGuard.h"
#include "XvfbServer.h"

// Xlib's macros (None, Bool, Status) clash with Qt's and GoogleTest's names:
// it comes last.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::Not;

namespace {

constexpr int kWidth = 650, kHeight = 470;
const std::string kStage = CASTSERVER_STAGE;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text, bool executable = false) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    if (executable) fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return done();
}

// A child that dies with the test; its output goes to `log`.
pid_t Spawn(const std::vector<std::string>& command,
            const std::vector<std::pair<std::string, std::string>>& environment,
            const std::string& log, const std::string& folder = ".") {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    if (chdir(folder.c_str()) != 0) _exit(126);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    std::vector<std::string> copies = command;
    std::vector<char*> argv;
    for (auto& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Exit status, or -1 when it is still running after `timeout`.
int WaitExit(pid_t pid, std::chrono::seconds timeout) {
    int status = -1;
    WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeout);
    return status;
}

// Command lines of the Halvorn processes whose parent is `parent`, by pid.
std::map<pid_t, std::vector<std::string>> Receivers(pid_t parent) {
    std::map<pid_t, std::vector<std::string>> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string status = ReadFile(entry.path() / "status");
        std::smatch ppid;
        if (!std::regex_search(status, ppid, std::regex(R"(PPid:\s+(\d+))")) ||
            std::stoi(ppid[1]) != parent || status.find("State:\tZ") != std::string::npos)
            continue;
        std::error_code ec;
        if (fs::read_symlink(entry.path() / "exe", ec).filename() != "Halvorn") continue;
        std::vector<std::string> arguments;
        std::stringstream cmdline(ReadFile(entry.path() / "cmdline"));
        for (std::string argument; std::getline(cmdline, argument, '\0');)
            arguments.push_back(argument);
        found[std::stoi(name)] = arguments;
    }
    return found;
}

std::string ClassOf(Display* display, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return {};
    std::string name = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return name;
}

std::string NameOf(Display* display, Window window) {
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom net_name = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, net_name, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        name.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return name;
}

// Every window below `top`, depth first.
void Walk(Display* display, Window top, const std::function<void(Window)>& visit) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, top, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
        visit(children[i]);
        Walk(display, children[i], visit);
    }
    if (children) XFree(children);
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
};

Geometry GeometryOf(Display* display, Window window) {
    XWindowAttributes attributes{};
    Geometry geometry;
    if (!XGetWindowAttributes(display, window, &attributes)) return geometry;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &geometry.x,
                          &geometry.y, &child);
    geometry.width = attributes.width;
    geometry.height = attributes.height;
    geometry.viewable = attributes.map_state == IsViewable;
    return geometry;
}

CommandResult ControlPoint(const std::string& command) {
    return RunCommand(std::string(PEER_SCRIPT) + " lab0 " + command);
}

std::string WithoutDeclarationAndLineEnds(std::string xml) {
    xml = std::regex_replace(xml, std::regex(R"(<\?xml[^>]*\?>)"), "");
    xml = std::regex_replace(xml, std::regex(R"(>\s+<)"), "><");
    const auto first = xml.find_first_not_of(" \t\r\n");
    const auto last = xml.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : xml.substr(first, last - first + 1);
}

class CastServerLab : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        char pattern[] = "/tmp/halvorn-castserver-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        for (const char* folder : {"config", "cache", "run"})
            fs::create_directories(root_ + "/" + folder);
        fs::permissions(root_ + "/run", fs::perms::owner_all);
        // The installer's entries, with a password holding a zero byte and
        // a byte below 16.
        WriteFile(
            ConfigFile("Registry.ini"),
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SplashtopRemoteService]\n"
            "ImagePath=" +
                root_ +
                "/splashtop/SRServer\n"
                "[HKEY_CURRENT_USER\\Software\\Splashtop Inc.\\Splashtop Remote Server]\n"
                "Port=6783\nPW=hex:00,0a,ff,10,7e\n");
        WriteFile(root_ + "/splashtop/SRServer",
                  "#!/bin/sh\n"
                  "events=\"$(dirname \"$0\")/events\"\n"
                  "echo \"start $$ $(pwd)\" >> \"$events\"\n"
                  "trap 'echo \"stop $$\" >> \"$events\"; exit 0' TERM\n"
                  "while :; do sleep 1 & wait $!; done\n",
                  true);
        WriteFile(root_ + "/share/a.MP3", std::string(100, 'a'));
        WriteFile(root_ + "/share/b.wmv", std::string(200, 'b'));
        WriteFile(root_ + "/share/c.jpg", std::string(300, 'c'));
        WriteFile(root_ + "/share/d.txt", "not shared");
        WriteFile(root_ + "/share/sub/e.mp3", "in a sub-folder");

        xvfb_ = std::make_unique<XvfbServer>();
        ASSERT_TRUE(xvfb_->Running()) << xvfb_->Error();
        display_ = XOpenDisplay(xvfb_->Display().c_str());
        ASSERT_NE(display_, nullptr);
        trayer_ = Spawn({"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                         "--height", "24"},
                        {{"DISPLAY", xvfb_->Display()}}, root_ + "/trayer.log");
        const Atom tray = XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False);
        ASSERT_TRUE(WaitFor([&] { return XGetSelectionOwner(display_, tray) != None; }, 10s));

        app_ = StartApp("app.log");
        ASSERT_TRUE(WaitFor([&] { return MainWindow() != None; }, 20s)) << AppLog();
    }

    void TearDown() override {
        if (app_ > 0) {
            kill(app_, SIGTERM);
            if (WaitExit(app_, 20s) == -1) {
                kill(app_, SIGKILL);
                waitpid(app_, nullptr, 0);
            }
        }
        if (trayer_ > 0) {
            kill(trayer_, SIGTERM);
            waitpid(trayer_, nullptr, 0);
        }
        if (display_) XCloseDisplay(display_);
        xvfb_.reset();
        if (!root_.empty() && !HasFailure()) fs::remove_all(root_);
    }

    pid_t StartApp(const std::string& log) {
        return Spawn({kStage + "/PCBriskenServer"},
                     {{"DISPLAY", xvfb_->Display()},
                      {"QT_QPA_PLATFORM", "xcb"},
                      {"XDG_CONFIG_HOME", root_ + "/config"},
                      {"XDG_CACHE_HOME", root_ + "/cache"},
                      {"XDG_RUNTIME_DIR", root_ + "/run"}},
                     root_ + "/" + log, root_);
    }

    std::string ConfigFile(const std::string& name) const {
        return root_ + "/config/PCBriskenServer/" + name;
    }
    std::string AppLog() const { return ReadFile(root_ + "/app.log"); }

    // Viewable top-level windows of the application of the main window's size.
    std::vector<Window> MainWindows() {
        std::vector<Window> found;
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i) {
            const Geometry geometry = GeometryOf(display_, children[i]);
            if (geometry.viewable && geometry.width == kWidth && geometry.height == kHeight &&
                ClassOf(display_, children[i]) == "PCBriskenServer")
                found.push_back(children[i]);
        }
        if (children) XFree(children);
        return found;
    }
    Window MainWindow() {
        const auto windows = MainWindows();
        return windows.empty() ? None : windows.front();
    }

    // The application's window embedded in the tray host.
    Window TrayIcon() {
        Window icon = None;
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i) {
            if (ClassOf(display_, children[i]) != "trayer") continue;
            Walk(display_, children[i], [&](Window window) {
                if (ClassOf(display_, window) == "PCBriskenServer" &&
                    GeometryOf(display_, window).viewable)
                    icon = window;
            });
        }
        if (children) XFree(children);
        return icon;
    }

    QImage Capture(Window window) {
        XImage* shot = XGetImage(display_, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!shot) return {};
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                image.setPixel(x, y, static_cast<QRgb>(XGetPixel(shot, x, y)) | 0xFF000000u);
        XDestroyImage(shot);
        return image;
    }

    std::optional<Window> WindowNamed(const std::string& name) {
        std::optional<Window> found;
        Walk(display_, DefaultRootWindow(display_), [&](Window window) {
            if (NameOf(display_, window) == name && GeometryOf(display_, window).viewable)
                found = window;
        });
        return found;
    }

    // Whether keyboard input goes to `top` or a window inside it.
    bool HasFocus(Window top) {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        bool inside = focus == top;
        Walk(display_, top, [&](Window window) { inside = inside || window == focus; });
        return inside;
    }

    void Xdotool(const std::string& arguments) {
        const std::string command = "DISPLAY=" + xvfb_->Display() + " xdotool " + arguments;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    void Click(int x, int y, int button = 1) {
        Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " +
                std::to_string(button));
    }

    std::pair<pid_t, std::vector<std::string>> WaitForReceiver(pid_t other_than = 0) {
        std::pair<pid_t, std::vector<std::string>> receiver{0, {}};
        WaitFor(
            [&] {
                for (const auto& [pid, arguments] : Receivers(app_))
                    if (pid != other_than) receiver = {pid, arguments};
                return receiver.first != 0;
            },
            30s);
        return receiver;
    }

    std::string root_;
    std::unique_ptr<XvfbServer> xvfb_;
    Display* display_ = nullptr;
    pid_t trayer_ = -1;
    pid_t app_ = -1;
};

}  // namespace

TEST_F(CastServerLab, WindowTrayIconReceiverAndServiceList) {
    // The window: 650 x 470 at the top left, the list in its colours.
    const Window window = MainWindow();
    const Geometry geometry = GeometryOf(display_, window);
    EXPECT_EQ(geometry.x, 0);
    EXPECT_EQ(geometry.y, 0);
    // Mapped is not yet drawn: the window is painted in one go, so its title
    // bar showing means all of it does.
    QImage image;
    ASSERT_TRUE(WaitFor(
        [&] {
            image = Capture(window);
            return !image.isNull() && (image.pixel(300, 5) & 0xFFFFFF) != 0;
        },
        10s));
    image.save(SCREENSHOT_PATH);
    auto count = [&](QRgb color) {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) n += (image.pixel(x, y) & 0xFFFFFF) == color;
        return n;
    };
    // Below the one entry the list is bare background; the entry's
    // separator and the frame around the list are lines of the other two.
    EXPECT_EQ(image.pixel(320, 300) & 0xFFFFFF, 0xF0F0F0u) << SCREENSHOT_PATH;
    EXPECT_GT(count(0xF0F0F0), 600 * 200) << SCREENSHOT_PATH;
    EXPECT_GT(count(qRgb(194, 208, 211) & 0xFFFFFF), 500) << SCREENSHOT_PATH;
    EXPECT_GT(count(qRgb(156, 167, 167) & 0xFFFFFF), 1500) << SCREENSHOT_PATH;

    EXPECT_TRUE(WaitFor([&] { return TrayIcon() != None; }, 10s));

    // The service list as written, and as the receiver hands it out.
    const std::string expected =
        ReadFile(HALVORN_TEST_DATA "/castserver/ServiceList-splashtop.xml");
    EXPECT_EQ(ReadFile(ConfigFile("ServiceList.xml")), expected);
    const auto [receiver, arguments] = WaitForReceiver();
    ASSERT_NE(receiver, 0) << AppLog();
    EXPECT_THAT(arguments,
                testing::ElementsAre(kStage + "/Halvorn", "--service-list",
                                     ConfigFile("ServiceList.xml"), "--port", testing::_));
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(receiver) + "/cwd"), kStage);
    CommandResult list;
    WaitFor(
        [&] {
            list = ControlPoint("servicelist");
            return list.status == 0;
        },
        30s);
    ASSERT_EQ(list.status, 0) << list.output << AppLog();
    EXPECT_EQ(WithoutDeclarationAndLineEnds(list.output), WithoutDeclarationAndLineEnds(expected));

    // The Splashtop server runs from its own folder.
    EXPECT_TRUE(WaitFor([&] { return !ReadFile(root_ + "/splashtop/events").empty(); }, 10s));
    EXPECT_THAT(ReadFile(root_ + "/splashtop/events"), HasSubstr(" " + root_ + "/splashtop\n"));

    // First run: the configuration files exist.
    for (const char* name : {"PCBriskenServer.ini", "path.txt", "Registry.ini"})
        EXPECT_TRUE(fs::exists(ConfigFile(name))) << name;
}

TEST_F(CastServerLab, SecondInstanceEndsAndTheFirstRunsOn) {
    ASSERT_TRUE(WaitFor([&] { return AppLog().find("DLNA address: ") != std::string::npos; }, 20s))
        << AppLog();
    const pid_t second = StartApp("second.log");
    const int status = WaitExit(second, 20s);
    ASSERT_NE(status, -1) << "the second instance still runs";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << AppLog();
    // It ended before starting anything of its own.
    EXPECT_THAT(ReadFile(root_ + "/second.log"), Not(HasSubstr("DLNA address")));
    EXPECT_EQ(waitpid(app_, nullptr, WNOHANG), 0);
    EXPECT_EQ(MainWindows().size(), 1u);
}

TEST_F(CastServerLab, BrowsedFolderIsSharedAndBrowsable) {
    // The matches point into the log text: it must outlive them.
    std::string log;
    std::smatch address;
    ASSERT_TRUE(WaitFor(
        [&] {
            log = AppLog();
            return std::regex_search(log, address, std::regex(R"(DLNA address: ([0-9.]+):(\d+))"));
        },
        20s))
        << AppLog();
    const std::string host = address[1];
    const int port = std::stoi(address[2]);

    // The title area's browse button, then the folder typed into the browser.
    Click(kWidth - 8 - 4 * 26 + 13, 15);
    std::optional<Window> browser;
    ASSERT_TRUE(WaitFor([&] { return (browser = WindowNamed("浏览文件夹")).has_value(); }, 10s));
    // Typed before the browser takes the focus, the path would be lost.
    ASSERT_TRUE(WaitFor([&] { return HasFocus(*browser); }, 10s));
    Xdotool("type --delay 10 '" + root_ + "/share'");
    Xdotool("key Return");
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::string log = AppLog();
            return log.find("Title : c.jpg") != std::string::npos &&
                   log.find("Title : a.MP3") != std::string::npos &&
                   log.find("Title : b.wmv") != std::string::npos;
        },
        20s))
        << AppLog();
    EXPECT_THAT(AppLog(), Not(HasSubstr("Check failed")));

    char name[256] = {};
    gethostname(name, sizeof name - 1);
    const std::string friendly = std::string("Qelvar-") + name;
    EXPECT_TRUE(WaitFor(
        [&] {
            return XmlElementText(HttpRequest(host, port, "GET", "/description.xml").body,
                                  "friendlyName") == friendly;
        },
        10s));

    const CommandResult run = ControlPoint("browse");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("server " + friendly + "\n"));
    EXPECT_THAT(run.output, HasSubstr("item a.MP3 100 audio/mpeg\n"));
    EXPECT_THAT(run.output, HasSubstr("item b.wmv 200 video/x-msvideo\n"));
    EXPECT_THAT(run.output, HasSubstr("item c.jpg 300 image/jpeg\n"));
    EXPECT_THAT(run.output, Not(HasSubstr("d.txt")));
    EXPECT_THAT(run.output, Not(HasSubstr("e.mp3")));
}

TEST_F(CastServerLab, KilledReceiverIsStartedAgain) {
    const pid_t first = WaitForReceiver().first;
    ASSERT_NE(first, 0) << AppLog();
    ASSERT_EQ(kill(first, SIGKILL), 0);
    const auto [second, arguments] = WaitForReceiver(first);
    ASSERT_NE(second, 0) << AppLog();
    EXPECT_THAT(arguments, testing::Contains(ConfigFile("ServiceList.xml")));
    EXPECT_THAT(AppLog(), HasSubstr("Halvorn was ended by a signal"));
}

TEST_F(CastServerLab, ExitFromTheTrayMenuStopsBothChildren) {
    const pid_t receiver = WaitForReceiver().first;
    ASSERT_NE(receiver, 0) << AppLog();
    ASSERT_TRUE(WaitFor([&] { return !ReadFile(root_ + "/splashtop/events").empty(); }, 10s));
    ASSERT_TRUE(WaitFor([&] { return TrayIcon() != None; }, 10s));

    const Geometry icon = GeometryOf(display_, TrayIcon());
    Click(icon.x + icon.width / 2, icon.y + icon.height / 2, 3);
    // The menu pops up at the pointer: 设置, 退出, 关于; the middle one ends it.
    std::optional<Window> menu;
    ASSERT_TRUE(WaitFor(
        [&] {
            Walk(display_, DefaultRootWindow(display_), [&](Window window) {
                XWindowAttributes attributes{};
                if (XGetWindowAttributes(display_, window, &attributes) &&
                    attributes.override_redirect && attributes.map_state == IsViewable &&
                    ClassOf(display_, window) == "PCBriskenServer" && attributes.height > 40)
                    menu = window;
            });
            return menu.has_value();
        },
        10s));
    const Geometry popup = GeometryOf(display_, *menu);
    Click(popup.x + popup.width / 2, popup.y + popup.height / 2);

    const int status = WaitExit(app_, 30s);
    ASSERT_NE(status, -1) << AppLog();
    app_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << AppLog();
    EXPECT_NE(kill(receiver, 0), 0) << "the receiver outlived the application";
    EXPECT_THAT(ReadFile(root_ + "/splashtop/events"), testing::ContainsRegex("\nstop [0-9]+\n$"));
}

TEST_F(CastServerLab, CloseToTrayHidesTheWindowAndTheTrayIconShowsIt) {
    // A session's SIGTERM ends it as "退出" does.
    ASSERT_TRUE(WaitFor([&] { return !ReadFile(root_ + "/splashtop/events").empty(); }, 10s));
    kill(app_, SIGTERM);
    const int status = WaitExit(app_, 30s);
    ASSERT_NE(status, -1) << AppLog();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << AppLog();
    EXPECT_THAT(ReadFile(root_ + "/splashtop/events"), testing::ContainsRegex("\nstop [0-9]+\n$"));

    WriteFile(ConfigFile("PCBriskenServer.ini"), "[SET]\nautorun=0\nclosetosystray=1\n");
    app_ = StartApp("app2.log");
    ASSERT_TRUE(WaitFor([&] { return MainWindow() != None; }, 20s));
    Click(kWidth - 8 - 26 + 13, 15);
    EXPECT_TRUE(WaitFor([&] { return MainWindow() == None; }, 10s));
    EXPECT_EQ(waitpid(app_, nullptr, WNOHANG), 0) << "the close button ended the application";

    ASSERT_TRUE(WaitFor([&] { return TrayIcon() != None; }, 10s));
    const Geometry icon = GeometryOf(display_, TrayIcon());
    Click(icon.x + icon.width / 2, icon.y + icon.height / 2);
    EXPECT_TRUE(WaitFor([&] { return MainWindow() != None; }, 10s));
}
