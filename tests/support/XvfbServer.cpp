#include "XvfbServer.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFirstDisplay = 90;
constexpr int kLastDisplay = 189;
constexpr int kMaxStarts = 20;
constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(5);
constexpr auto kPollInterval = std::chrono::milliseconds(50);

std::string FindXvfb() {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/Xvfb";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Per test process: two processes may try the same number at once.
std::string LogPath(int number) {
    return "/tmp/halvorn-xvfb-" + std::to_string(::getpid()) + "-" + std::to_string(number) +
           ".log";
}

std::string ReadLog(int number) {
    std::ifstream in(LogPath(number));
    std::stringstream text;
    text << in.rdbuf();
    std::string log = text.str();
    constexpr size_t kTail = 600;
    return log.size() > kTail ? log.substr(log.size() - kTail) : log;
}

// The pid the X server wrote into its lock file, or -1.
pid_t LockOwner(int number) {
    std::ifstream in("/tmp/.X" + std::to_string(number) + "-lock");
    long pid = -1;
    if (!(in >> pid))
        return -1;
    return static_cast<pid_t>(pid);
}

std::string Describe(int status) {
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "stopped";
}

}  // namespace

bool XvfbServer::Installed() { return !FindXvfb().empty(); }

XvfbServer::XvfbServer(std::vector<std::string> extraArgs) {
    const std::string binary = FindXvfb();
    if (binary.empty()) {
        error_ = "Xvfb not found on PATH";
        return;
    }
    // Test processes started together would all race for :90; starting each
    // at its own offset keeps them apart.
    constexpr int kCount = kLastDisplay - kFirstDisplay + 1;
    const int offset = static_cast<int>(::getpid() % 32);
    int starts = 0;
    for (int i = 0; i < kCount && starts < kMaxStarts; ++i) {
        const int number = kFirstDisplay + (offset + i) % kCount;
        const std::string n = std::to_string(number);
        if (Exists("/tmp/.X11-unix/X" + n) || Exists("/tmp/.X" + n + "-lock"))
            continue;
        ++starts;
        // A failed start usually means another process took the number first.
        if (Start(number, binary, extraArgs))
            return;
    }
    if (error_.empty())
        error_ = "no free display number between :" + std::to_string(kFirstDisplay) + " and :" +
                 std::to_string(kLastDisplay);
}

XvfbServer::~XvfbServer() { Stop(); }

bool XvfbServer::Start(int number, const std::string& binary,
                       const std::vector<std::string>& extraArgs) {
    const std::string display = ":" + std::to_string(number);
    const std::string log = LogPath(number);
    std::vector<std::string> args = {binary, display, "-screen", "0",
                                     std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24",
                                     "-nolisten", "tcp", "-noreset"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error_ = "fork failed";
        return false;
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in >= 0)
            ::dup2(in, STDIN_FILENO);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    pid_ = pid;
    number_ = number;

    const auto deadline = Clock::now() + kStartTimeout;
    while (Clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "Xvfb " + display + " " + Describe(status) + ": " + ReadLog(number);
            ::unlink(log.c_str());
            number_ = -1;
            return false;
        }
        // Another process may have started a server on the same number just
        // before ours: only a server whose lock names our child will do.
        if (LockOwner(number) == pid_) {
            observer_ = XOpenDisplay(display.c_str());
            if (observer_ != nullptr) {
                error_.clear();
                return true;
            }
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    error_ = "Xvfb " + display + " did not accept connections within 10 s: " + ReadLog(number);
    Stop();
    return false;
}

void XvfbServer::Stop() {
    if (observer_ != nullptr) {
        XCloseDisplay(observer_);
        observer_ = nullptr;
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + kStopTimeout;
        int status = 0;
        bool reaped = false;
        while (!reaped && Clock::now() < deadline) {
            reaped = ::waitpid(pid_, &status, WNOHANG) == pid_;
            if (!reaped)
                std::this_thread::sleep_for(kPollInterval);
        }
        if (!reaped) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    if (number_ >= 0) {
        ::unlink(LogPath(number_).c_str());
        number_ = -1;
    }
}

bool XvfbServer::Running() const {
    return pid_ > 0 && observer_ != nullptr && ::kill(pid_, 0) == 0;
}

std::string XvfbServer::Display() const {
    return number_ >= 0 ? ":" + std::to_string(number_) : "";
}

bool XvfbServer::PointerPosition(int* x, int* y) const {
    if (observer_ == nullptr)
        return false;
    Window root = 0, child = 0;
    int winX = 0, winY = 0;
    unsigned mask = 0;
    return XQueryPointer(observer_, DefaultRootWindow(observer_), &root, &child, x, y, &winX,
                         &winY, &mask) == True;
}

bool XvfbServer::ButtonDown(unsigned button, bool* down) const {
    if (observer_ == nullptr || button < 1 || button > 5)
        return false;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    if (XQueryPointer(observer_, DefaultRootWindow(observer_), &root, &child, &rootX, &rootY,
                      &winX, &winY, &mask) != True)
        return false;
    *down = (mask & (Button1Mask << (button - 1))) != 0;
    return true;
}

bool XvfbServer::KeyDown(unsigned keycode, bool* down) const {
    if (observer_ == nullptr || keycode > 255)
        return false;
    char keys[32] = {};
    XQueryKeymap(observer_, keys);
    *down = (static_cast<unsigned char>(keys[keycode / 8]) >> (keycode % 8)) & 1;
    return true;
}

unsigned XvfbServer::KeycodeOf(unsigned long keysym) const {
    ::Display* display = XOpenDisplay(Display().c_str());
    if (display == nullptr)
        return 0;
    const unsigned keycode = XKeysymToKeycode(display, keysym);
    XCloseDisplay(display);
    return keycode;
}
