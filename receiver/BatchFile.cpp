#include "BatchFile.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "TvCommon.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// What a script that ignores SIGTERM gets before SIGKILL.
constexpr std::chrono::milliseconds kTermGrace{500};

// /bin/sh path, with standard output on `out`, leading a process group of
// its own so that it can be ended together with its children. -1 on failure.
pid_t Spawn(const std::string& path, int out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    // Console mode reads the quit command there; a script must not take it.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    // The receiver blocks the termination signals for its watcher thread; a
    // script inheriting that mask could not be ended with SIGTERM.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int number : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaddset(&defaults, number);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    // Through the interpreter, so that a script without execute bit runs too.
    char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ) != 0) pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Appends what arrives on `fd` until it ends (true) or `until` passes.
bool ReadUntil(int fd, Clock::time_point until, std::string& output) {
    char piece[4096];
    while (true) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{fd, POLLIN, 0};
        const int events = poll(&ready, 1, static_cast<int>(left.count()));
        if (events < 0 && errno != EINTR) return false;
        if (events <= 0) continue;
        const ssize_t got = read(fd, piece, sizeof piece);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return true;
        }
        output.append(piece, static_cast<size_t>(got));
    }
}

// True once the child has ended, or false when `until` passes first. It is
// not reaped here: while it is a zombie its process group id stays unused.
bool EndedBy(pid_t pid, Clock::time_point until) {
    while (true) {
        siginfo_t info{};
        if (waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
            if (errno == EINTR) continue;
            return true;  // no such child left to wait for
        }
        if (info.si_pid == pid) return true;
        if (Clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

std::string RunBatchFile(const std::string& path, std::chrono::milliseconds deadline) {
    const auto until = Clock::now() + deadline;
    int output_pipe[2];
    if (pipe2(output_pipe, O_CLOEXEC) != 0) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Error opening console.";
        return {};
    }
    const pid_t pid = Spawn(path, output_pipe[1]);
    close(output_pipe[1]);
    if (pid < 0) {
        close(output_pipe[0]);
        LogLine(TvCommonLog(), LogLevel::Error) << "Error opening console.";
        return {};
    }
    std::string output;
    const bool ended = ReadUntil(output_pipe[0], until, output) && EndedBy(pid, until);
    close(output_pipe[0]);
    if (!ended) {
        // The whole group, so that what the script started goes too.
        kill(-pid, SIGTERM);
        EndedBy(pid, Clock::now() + kTermGrace);
        kill(-pid, SIGKILL);
        LogLine(TvCommonLog(), LogLevel::Error)
            << "Script did not end within " << deadline.count() << " ms, killed it: " << path;
        output.clear();
    }
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return output;
}
