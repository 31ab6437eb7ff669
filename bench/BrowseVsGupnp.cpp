// DLNA_DMSC_Browse of 1,000 of 10,000 children from the staged dlna-server,
// DIDL-Lite parsed into elements, against a GUPnP control point doing the
// same Browse without parsing. Run inside the lab, after a staged install:
//   tools/netlab build/bench/bench_browse_vs_gupnp [stage prefix]
// The library runs on lab0, the server on lab1; GUPnP runs after the
// library has finished, so the two never share the lab at once.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "DLNA.h"
#include "LabGuard.h"
#include "Percentile.h"
#include "ServerProcess.h"
#include "SyntheticMedia.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char kClientIp[] = "198.51.100.1";
const char kServerIp[] = "198.51.100.2";
const char kServerName[] = "browse-bench";
constexpr int kServerPort = 50002;
constexpr int kItems = 10000;
constexpr uint32_t kPage = 1000;
constexpr int kCalls = 500;

struct Found {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<DLNA_DEVICE_HANDLE> servers;
};

int OnEvent(DLNA_EVENT event, void* data, void* user_data) {
    if (event != DLNA_DMS_DISCOVERED_EVENT) return 0;
    auto* found = static_cast<Found*>(user_data);
    std::lock_guard<std::mutex> guard(found->mutex);
    found->servers.push_back(data);
    found->changed.notify_all();
    return 0;
}

// The benchmark's server among those found, with its UDN.
DLNA_DEVICE_HANDLE FindServer(Found& found, std::string* udn) {
    std::unique_lock<std::mutex> lock(found.mutex);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    size_t checked = 0;
    for (;;) {
        for (; checked < found.servers.size(); ++checked) {
            DLNA_DEVICE_INFO info{};
            if (DLNA_DMSC_GetDeviceInfo(found.servers[checked], &info) != 0) continue;
            const bool ours = info.friendly_name && std::strcmp(info.friendly_name, kServerName) == 0;
            if (ours && info.udn) *udn = info.udn;
            DLNA_FreeDeviceInfo(&info);
            if (ours) return found.servers[checked];
        }
        if (found.changed.wait_until(lock, deadline) == std::cv_status::timeout) return nullptr;
    }
}

// Whether `id` has at least one child.
bool HasChildren(DLNA_DEVICE_HANDLE server, const char* id) {
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;
    const bool has = DLNA_DMSC_Browse(server, id, 1, "*", 0, 1, "", &elements, &count) == 0 &&
                     count > 0;
    DLNA_DMSC_FreeContentElement(elements, count);
    return has;
}

// The category container that holds the shared MP3s: the root's only
// container with children.
std::string AudioContainer(DLNA_DEVICE_HANDLE server) {
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;
    std::string id;
    if (DLNA_DMSC_Browse(server, "0", 1, "*", 0, 0, "", &elements, &count) == 0)
        for (int32_t i = 0; i < count && id.empty(); ++i)
            if (elements[i].type == DLNA_CONTENT_CONTAINER &&
                HasChildren(server, elements[i].element.container.id))
                id = elements[i].element.container.id;
    DLNA_DMSC_FreeContentElement(elements, count);
    return id;
}

// Milliseconds per call; empty when a call fails or comes back short.
std::vector<double> TimeBrowses(DLNA_DEVICE_HANDLE server, const std::string& container) {
    std::vector<double> samples;
    for (int i = -10; i < kCalls; ++i) {  // ten warm-up calls
        DLNA_CONTENT_ELEMENT* elements = nullptr;
        int32_t count = 0;
        const auto start = Clock::now();
        const int status = DLNA_DMSC_Browse(server, container.c_str(), 1, "*", 0, kPage, "",
                                            &elements, &count);
        const auto end = Clock::now();
        DLNA_DMSC_FreeContentElement(elements, count);
        if (status != 0 || count != static_cast<int32_t>(kPage)) {
            std::fprintf(stderr, "Browse answered %d with %d elements\n", status, count);
            return {};
        }
        if (i >= 0) samples.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string stage = argc > 1 ? argv[1] : DEFAULT_SERVER_STAGE;
    std::string why;
    if (!InNetworkLab(&why)) {
        std::fprintf(stderr, "not inside the network lab (%s); run it under tools/netlab\n",
                     why.c_str());
        return 1;
    }
    char pattern[] = "/tmp/browse-bench.XXXXXX";
    const char* work = mkdtemp(pattern);
    if (!work) return 1;
    const fs::path folder = fs::path(work) / "music";
    std::printf("making %d synthetic MP3s in %s\n", kItems, folder.c_str());
    MakeMp3Folder(folder.string(), kItems);

    ServerProcess server(stage, {"--ip", kServerIp, "--port", std::to_string(kServerPort),
                                 "--name", kServerName, folder.string()});
    if (!server.WaitUntilShared(120)) {
        std::fprintf(stderr, "dlna-server did not start:\n%s\n", server.Output().c_str());
        return 1;
    }

    Found found;
    DLNA_Initialize(kClientIp, 0);
    DLNA_SetCallback(OnEvent, &found);
    DLNA_StartControlPoint(2);
    std::string udn, container;
    std::vector<double> ours;
    if (DLNA_DEVICE_HANDLE handle = FindServer(found, &udn)) {
        container = AudioContainer(handle);
        // The parser logs every attribute it does not keep (our server's
        // duration among them): off the terminal, as a host would keep it.
        std::fflush(stderr);
        const int saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        if (!container.empty()) ours = TimeBrowses(handle, container);
        dup2(saved, STDERR_FILENO);
        close(null);
        close(saved);
    }
    DLNA_SetCallback(nullptr, nullptr);
    DLNA_Finalize();
    if (ours.empty()) {
        std::fprintf(stderr, "no Browse figures from the library (server %s, container %s)\n",
                     udn.c_str(), container.c_str());
        return 1;
    }

    const std::string peer = (fs::path(argv[0]).parent_path() / "bench_gupnp_browse").string();
    const CommandResult gupnp =
        RunCommand(ShellQuote(peer) + " lab0 " + ShellQuote(udn) + " " + ShellQuote(container) +
                   " " + std::to_string(kCalls) + " " + std::to_string(kPage));
    double peer_p50 = 0, peer_p99 = 0;
    int returned = 0;
    if (gupnp.status != 0 || std::sscanf(gupnp.output.c_str(), "p50_ms %lf p99_ms %lf returned %d",
                                         &peer_p50, &peer_p99, &returned) != 3) {
        std::fprintf(stderr, "GUPnP side failed:\n%s\n", gupnp.output.c_str());
        return 1;
    }
    server.Stop(SIGTERM);
    fs::remove_all(work);

    const double p50 = Percentile(ours, 0.50), p99 = Percentile(ours, 0.99);
    std::printf("Browse %u of %d, %d calls, p50: ours %.3f ms (parsed), GUPnP %.3f ms (unparsed), "
                "ratio %.2f, target <= 1.5\n",
                kPage, kItems, kCalls, p50, peer_p50, p50 / peer_p50);
    std::printf("Browse %u of %d, %d calls, p99: ours %.3f ms, GUPnP %.3f ms, ratio %.2f\n", kPage,
                kItems, kCalls, p99, peer_p99, p99 / peer_p99);
    return 0;
}
