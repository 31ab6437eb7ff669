// dlna-server: shares folders as a UPnP/DLNA media server, headless, until
// SIGTERM or SIGINT. Written against DLNA.h alone.
#include <malloc.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include "CommandLine.h"
#include "DefaultFolders.h"
#include "DLNA.h"
#include "FolderSharing.h"
#include "FolderWatcher.h"
#include "PortCheck.h"
#include "ServerConfig.h"
#include "ShareProgress.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "dlna-server: %s\n", message.c_str());
    return 1;
}

std::string DefaultDescription() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "DMS.xml";
    return (exe.parent_path() / ".." / "share" / "dlna" / "web" / "DMS.xml")
        .lexically_normal()
        .string();
}

// The server answers every event: the state it reports needs no decision.
int OnEvent(DLNA_EVENT, void*, void*) {
    return 0;
}

// SIGTERM and SIGINT end the server: a thread waits for them and tells the
// main thread through an eventfd. They are blocked before any other thread
// starts, so none of libupnp's threads can take them.
class StopSignal {
public:
    StopSignal() : fd_(eventfd(0, EFD_CLOEXEC)) {
        sigemptyset(&set_);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGINT);
        pthread_sigmask(SIG_BLOCK, &set_, nullptr);
        thread_ = std::thread([this] {
            int signal = 0;
            sigwait(&set_, &signal);
            stopped_ = true;
            const uint64_t one = 1;
            [[maybe_unused]] auto written = write(fd_, &one, sizeof one);
        });
        thread_.detach();
    }
    int fd() const { return fd_; }
    bool stopped() const { return stopped_; }
    void Wait() const {
        uint64_t value = 0;
        while (!stopped_ && read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
        }
    }

private:
    sigset_t set_;
    int fd_;
    std::atomic<bool> stopped_{false};
    std::thread thread_;
};

std::string Address(const ServerOptions& options) {
    return (options.ip.empty() ? std::string("*") : options.ip) + ":" +
           std::to_string(options.port);
}

int Serve(const ServerOptions& options, const std::vector<SharedFolder>& folders,
          StopSignal& stop) {
    if (DLNA_Initialize(options.ip.empty() ? nullptr : options.ip.c_str(),
                        static_cast<uint16_t>(options.port)) != DLNA_OK)
        return Fail("cannot start UPnP on " + Address(options) +
                    " (--ip must name an IPv4 address of this machine, --port a free port)");
    if (options.port != 0 && DLNA_GetListenPort() != options.port)
        return Fail("port " + std::to_string(options.port) +
                    " is in use (pick another with --port, or 0 for any)");
    if (DLNA_CreateDevice(options.description.c_str()) != DLNA_OK)
        return Fail("cannot create the server from " + options.description +
                    " (it must be a valid description with its service files beside it)");
    DLNA_SetCallback(OnEvent, nullptr);
    if (!options.name.empty()) {
        DLNA_DEVICE_INFO info{};
        info.friendly_name = const_cast<char*>(options.name.c_str());
        DLNA_DMS_SetDeviceInfo(&info);
    }
    if (!options.password.empty()) DLNA_DMS_SetPassword(options.password.c_str());

    DLNA_DEVICE_INFO info{};
    if (DLNA_DMS_GetDeviceInfo(&info) == DLNA_OK) {
        std::printf("dlna-server: %s at %s\n", info.friendly_name, info.location);
        std::fflush(stdout);
        DLNA_FreeDeviceInfo(&info);
    }

    std::optional<FolderWatcher> watcher;
    for (const SharedFolder& folder : folders) {
        if (!folder.watch) continue;
        if (!watcher) watcher.emplace();
        std::string error;
        if (!watcher->Watch(folder.path, folder.recursive, &error)) return Fail(error);
    }
    ShareProgressLine progress(stdout);
    sharing::FolderShareCount count;
    for (const SharedFolder& folder : folders) {
        sharing::ShareFolder(folder.path, folder.recursive, &count,
                             [&](const std::string& path, int result) {
                                 if (result == 0) {
                                     progress.FileShared();
                                     if (watcher) watcher->NoteShared(path);
                                 }
                                 return !stop.stopped();
                             });
    }
    progress.Finish(count.skipped, count.failed, folders.size());

    if (watcher) watcher->Run(stop.fd());
    stop.Wait();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // libupnp answers from a pool of threads; glibc would give each its own
    // arena, which keeps what one large Browse answer took long after it
    // is sent. One arena, and answers that large mapped and given back.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // The command line names the file to read, then goes over its values.
    ServerOptions given;
    std::string error;
    if (!ParseCommandLine(argc, argv, &given, &error)) {
        std::fprintf(stderr, "dlna-server: %s\n%s", error.c_str(), kUsage);
        return 1;
    }
    if (given.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    ServerOptions options;
    options.description = DefaultDescription();
    const bool named = !given.config.empty();
    if (!ReadServerConfig(named ? given.config : kDefaultServerConfig, named, &options, &error))
        return Fail(error);
    ParseCommandLine(argc, argv, &options, &error);
    if (options.folders.empty()) {
        for (const std::string& folder : DefaultMediaFolders())
            options.folders.push_back({folder, true, true});
        if (options.folders.empty())
            return Fail(
                "no folder to share: name at least one DIR, or a folder in the configuration "
                "file (you have no music, videos or pictures folder)");
        std::string list;
        for (const SharedFolder& folder : options.folders)
            list += (list.empty() ? "" : ", ") + folder.path;
        std::printf("dlna-server: sharing %s\n", list.c_str());
        std::fflush(stdout);
    }
    std::vector<SharedFolder> folders;
    for (const SharedFolder& folder : options.folders) {
        std::error_code ec;
        if (!fs::is_directory(folder.path, ec))
            return Fail("no such folder: " + folder.path +
                        " (name an existing directory to share)");
        // Absolute, so the paths shared and the paths watched agree.
        std::string path = fs::absolute(folder.path, ec).lexically_normal().string();
        if (path.size() > 1 && path.back() == '/') path.pop_back();
        folders.push_back({path, folder.recursive || options.recursive,
                           folder.watch || options.watch});
    }
    std::error_code ec;
    if (!fs::is_regular_file(options.description, ec))
        return Fail("description not found: " + options.description +
                    " (install the server's data, or give one with --desc PATH)");
    if (PortInUse(options.ip, options.port))
        return Fail("port " + std::to_string(options.port) +
                    " is in use (pick another with --port, or 0 for any)");

    // A client that drops a download must not end the server.
    signal(SIGPIPE, SIG_IGN);
    StopSignal stop;
    const int status = Serve(options, folders, stop);
    DLNA_Finalize();
    return status;
}
