// Sustained load on the three staged programs: CLIENTS concurrent clients
// for SECONDS each against KeyPress/KeyRelease (the receiver, on a private
// Xvfb), GetPositionInfo (dlna-renderer --null) and Browse of a folder of
// 1,000 items, all of them in one answer (dlna-server). Counts failed
// requests and samples resident memory (VmRSS) before, after a warm-up of
// the same load, and at the end. Run it through bench/load, or inside the lab:
//   tools/netlab build/bench/bench_load [--seconds N] [--clients N]
//       [--only receiver|renderer|server]
// Target: no failed request; resident memory at the end within 5% of the
// warmed-up figure.
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "HttpClient.h"
#include "LabGuard.h"
#include "StagedProgram.h"
#include "SyntheticMedia.h"
#include "XvfbServer.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFolderItems = 1000;

struct Options {
    int seconds = 60;
    int clients = 32;
    int warmup_seconds = 10;
    std::string only;
};

// One request; false when it failed (any status but 200, or an answer
// without what it must hold). `n` tells a client's successive requests apart.
using Request = std::function<bool(const StagedProgram&, int client, long n)>;

bool KeyRequest(const StagedProgram& receiver, int, long n) {
    // Press and release in turn, so that no key stays down.
    return SoapCall(receiver.Address(), receiver.Port(), "/control/TvKeyboardInput",
                    "urn:tundric-com:service:TvKeyboardInput:1",
                    n % 2 == 0 ? "KeyPress" : "KeyRelease", {{"Key", "KEY_A"}})
               .status == 200;
}

bool PositionRequest(const StagedProgram& renderer, int, long) {
    const WireResponse response =
        SoapCall(renderer.Address(), renderer.Port(), "/AVTransport/control",
                 "urn:schemas-upnp-org:service:AVTransport:1", "GetPositionInfo",
                 {{"InstanceID", "0"}});
    return response.status == 200 && !XmlElementText(response.body, "RelTime").empty();
}

WireResponse Browse(const StagedProgram& server, const std::string& id, int count) {
    return SoapCall(server.Address(), server.Port(), "/ContentDirectory/control",
                    "urn:schemas-upnp-org:service:ContentDirectory:1", "Browse",
                    {{"ObjectID", id},
                     {"BrowseFlag", "BrowseDirectChildren"},
                     {"Filter", "*"},
                     {"StartingIndex", "0"},
                     {"RequestedCount", std::to_string(count)},
                     {"SortCriteria", ""}});
}

// The container that lists the shared folder's items: searched from the
// root, a few levels down (the server groups items by kind).
std::string FolderContainer(const StagedProgram& server) {
    std::vector<std::string> pending{"0"};
    const std::regex container("&lt;container id=&quot;([^&]+)&quot;");
    for (int level = 0; level < 4 && !pending.empty(); ++level) {
        std::vector<std::string> next;
        for (const auto& id : pending) {
            const std::string body = Browse(server, id, 0).body;
            if (id != "0" && XmlElementText(body, "TotalMatches") == std::to_string(kFolderItems) &&
                body.find("&lt;item") != std::string::npos)
                return id;
            for (std::sregex_iterator it(body.begin(), body.end(), container), end; it != end; ++it)
                next.push_back((*it)[1]);
        }
        pending = std::move(next);
    }
    return {};
}

struct Counts {
    std::atomic<long> ok{0};
    std::atomic<long> failed{0};
};

// `clients` threads sending `request` until `seconds` have passed.
void Load(const StagedProgram& program, const Request& request, int clients, int seconds,
          Counts* counts) {
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            for (long n = 0; Clock::now() < until; ++n)
                (request(program, c, n) ? counts->ok : counts->failed)++;
        });
    for (auto& thread : threads) thread.join();
}

int Run(const char* figure, StagedProgram& program, const Request& request,
        const Options& options) {
    if (!program.WaitUntilServing()) {
        std::fprintf(stderr, "%s did not start:\n%s\n", figure, program.Output().c_str());
        return 1;
    }
    if (!request(program, 0, 0) || !request(program, 0, 1)) {
        std::fprintf(stderr, "%s: the request fails before any load\n%s\n", figure,
                     program.Output().c_str());
        return 1;
    }
    const long idle = program.ResidentKiB();
    // Thread pools, arenas and caches grow with the first concurrent load.
    Counts warmup;
    Load(program, request, options.clients, options.warmup_seconds, &warmup);
    const long start = program.ResidentKiB();
    Counts counts;
    const auto began = Clock::now();
    Load(program, request, options.clients, options.seconds, &counts);
    const double elapsed = std::chrono::duration<double>(Clock::now() - began).count();
    const long end = program.ResidentKiB();
    const bool alive = program.Running();
    const double growth = start > 0 ? 100.0 * (end - start) / start : 0;
    const bool pass = alive && counts.failed == 0 && warmup.failed == 0 && growth <= 5.0 &&
                      growth >= -5.0;
    std::printf(
        "load %s clients=%d seconds=%d requests=%ld failed=%ld warmup_failed=%ld "
        "requests_per_second=%.0f rss_idle_kib=%ld rss_start_kib=%ld rss_end_kib=%ld "
        "rss_growth_percent=%.2f running=%s %s\n",
        figure, options.clients, options.seconds, counts.ok + counts.failed, counts.failed.load(),
        warmup.failed.load(), (counts.ok + counts.failed) / elapsed, idle, start, end, growth,
        alive ? "yes" : "no", pass ? "PASS" : "FAIL");
    std::fflush(stdout);
    return pass ? 0 : 1;
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--seconds" && has_value) {
            options->seconds = std::atoi(argv[++i]);
        } else if (arg == "--clients" && has_value) {
            options->clients = std::atoi(argv[++i]);
        } else if (arg == "--warmup" && has_value) {
            options->warmup_seconds = std::atoi(argv[++i]);
        } else if (arg == "--only" && has_value) {
            options->only = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: %s [--seconds N] [--clients N] [--warmup N] "
                         "[--only receiver|renderer|server]\n",
                         argv[0]);
            return false;
        }
    }
    return options->seconds > 0 && options->clients > 0 && options->warmup_seconds >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string why;
    if (!InNetworkLab(&why)) {
        std::fprintf(stderr, "not inside the network lab (%s): run under tools/netlab\n",
                     why.c_str());
        return 2;
    }
    Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    // Every client holds a socket at a time, and the process a log.
    rlimit files{4096, 4096};
    setrlimit(RLIMIT_NOFILE, &files);

    int status = 0;
    if (options.only.empty() || options.only == "receiver") {
        XvfbServer xvfb;
        if (!xvfb.Running()) {
            std::fprintf(stderr, "Xvfb: %s\n", xvfb.Error().c_str());
            return 1;
        }
        StagedProgram receiver(StagedProgram::Kind::Receiver, RECEIVER_STAGE, {},
                               {{"DISPLAY", xvfb.Display()}});
        status |= Run("receiver_keypress", receiver, KeyRequest, options);
    }
    if (options.only.empty() || options.only == "renderer") {
        StagedProgram renderer(StagedProgram::Kind::Renderer, RENDERER_STAGE);
        status |= Run("renderer_getpositioninfo", renderer, PositionRequest, options);
    }
    if (options.only.empty() || options.only == "server") {
        const fs::path media =
            fs::temp_directory_path() / ("bench-load-media-" + std::to_string(getpid()));
        fs::create_directories(media);
        MakeMp3Folder(media.string(), kFolderItems);
        {
            StagedProgram server(StagedProgram::Kind::Server, SERVER_STAGE, media.string());
            std::string container;
            const Request browse = [&container](const StagedProgram& program, int, long) {
                const WireResponse response = Browse(program, container, kFolderItems);
                return response.status == 200 &&
                       XmlElementText(response.body, "NumberReturned") ==
                           std::to_string(kFolderItems);
            };
            if (server.WaitUntilServing()) container = FolderContainer(server);
            if (container.empty()) {
                std::fprintf(stderr, "server: no shared folder in the root\n%s\n",
                             server.Output().c_str());
                status = 1;
            } else {
                status |= Run("server_browse_1000", server, browse, options);
            }
        }
        fs::remove_all(media);
    }
    return status;
}
