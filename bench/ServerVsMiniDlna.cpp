// The media server against MiniDLNA (Debian's minidlnad) on the same
// synthetic folders, and its downloads against a plain sendfile loop. Run
// inside the lab, after a staged install:
//   tools/netlab build/bench/bench_server_vs_minidlna [stage prefix]
// One line per figure: ours, the peer's, and the ratio with its target.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "HttpClient.h"
#include "LabGuard.h"
#include "Percentile.h"
#include "SendfileServer.h"
#include "ServerProcess.h"
#include "SyntheticMedia.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
const char kCds[] = "urn:schemas-upnp-org:service:ContentDirectory:1";
const char kOurIp[] = "198.51.100.1";
const int kOurPort = 50001;
const char kPeerIp[] = "198.51.100.2";  // lab1: MiniDLNA's network_interface
const int kPeerPort = 8200;
const int kLoopPort = 50100;

constexpr int kBigFolder = 10000;
constexpr int kMemoryFolder = 5000;
constexpr uint32_t kPage = 1000;
constexpr int kSequential = 500;
constexpr int kClients = 8;
constexpr int kPerClient = 60;
constexpr uint64_t kLargeFile = uint64_t(1) << 30;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct Endpoint {
    std::string name;
    std::string host;
    int port;
    std::string control;
    std::string container;  // the folder's container
};

struct Answer {
    bool ok = false;
    uint32_t returned = 0;
    uint32_t total = 0;
    size_t items = 0;  // <item elements in Result
    std::string result;
};

Answer Browse(const Endpoint& at, const std::string& id, uint32_t start, uint32_t count) {
    WireResponse response = SoapCall(at.host, at.port, at.control, kCds, "Browse",
                                     {{"ObjectID", id},
                                      {"BrowseFlag", "BrowseDirectChildren"},
                                      {"Filter", "*"},
                                      {"StartingIndex", std::to_string(start)},
                                      {"RequestedCount", std::to_string(count)},
                                      {"SortCriteria", ""}});
    Answer answer;
    if (response.status != 200) return answer;
    answer.ok = true;
    answer.returned =
        static_cast<uint32_t>(std::atol(XmlElementText(response.body, "NumberReturned").c_str()));
    answer.total =
        static_cast<uint32_t>(std::atol(XmlElementText(response.body, "TotalMatches").c_str()));
    for (size_t at_ = 0; (at_ = response.body.find("&lt;item ", at_)) != std::string::npos; ++at_)
        ++answer.items;
    answer.result = std::move(response.body);
    return answer;
}

// Seconds from `start` until the folder's container lists `expected`
// children; -1 when that takes longer than `limit`. `resolve` finds the
// container once the server answers at all.
double UntilBrowseable(Endpoint& at, uint32_t expected, Clock::time_point start, double limit,
                       const std::function<bool(Endpoint&)>& resolve) {
    while (Seconds(Clock::now() - start) < limit) {
        if ((!at.container.empty() || resolve(at)) &&
            Browse(at, at.container, 0, 1).total == expected)
            return Seconds(Clock::now() - start);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

// MiniDLNA's folder view: "64", or the one container below it. Asked for
// one child only: polling for whole listings would slow its scan down.
bool ResolveMiniDlna(Endpoint& at, uint32_t expected) {
    Answer top = Browse(at, "64", 0, 1);
    if (!top.ok) return false;
    if (top.total == expected) {
        at.container = "64";
        return true;
    }
    std::smatch match;
    if (top.items == 0 &&
        std::regex_search(top.result, match, std::regex("&lt;container id=&quot;([^&]+)&quot;"))) {
        at.container = match[1].str();
        return true;
    }
    return false;
}

struct BrowseFigures {
    double p50_ms = 0, p99_ms = 0, rps = 0;
    int complete = 0, requests = 0;
};

BrowseFigures MeasureBrowse(const Endpoint& at, uint32_t total) {
    BrowseFigures figures;
    std::vector<double> latencies;
    auto start_of = [&](int i) { return static_cast<uint32_t>((i * 997) % (total - kPage + 1)); };
    for (int i = 0; i < kSequential; ++i) {
        const auto begin = Clock::now();
        Answer answer = Browse(at, at.container, start_of(i), kPage);
        latencies.push_back(Seconds(Clock::now() - begin) * 1000);
        ++figures.requests;
        if (answer.returned == kPage && answer.items == kPage) ++figures.complete;
    }
    figures.p50_ms = Percentile(latencies, 0.50);
    figures.p99_ms = Percentile(latencies, 0.99);

    std::atomic<int> complete{0};
    const auto begin = Clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c)
        clients.emplace_back([&, c] {
            for (int i = 0; i < kPerClient; ++i) {
                Answer answer = Browse(at, at.container, start_of(c * kPerClient + i), kPage);
                if (answer.returned == kPage && answer.items == kPage) ++complete;
            }
        });
    for (auto& client : clients) client.join();
    figures.rps = kClients * kPerClient / Seconds(Clock::now() - begin);
    figures.complete += complete;
    figures.requests += kClients * kPerClient;
    return figures;
}

// Bytes per second of `streams` parallel GETs of the whole file; 0 when any
// stream came short of `size`.
double Download(const std::string& host, int port, const std::string& path, int streams,
                uint64_t size) {
    std::atomic<bool> short_read{false};
    const auto begin = Clock::now();
    std::vector<std::thread> threads;
    for (int s = 0; s < streams; ++s)
        threads.emplace_back([&] {
            const int fd = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in where{};
            where.sin_family = AF_INET;
            where.sin_port = htons(static_cast<uint16_t>(port));
            inet_pton(AF_INET, host.c_str(), &where.sin_addr);
            if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
                short_read = true;
                close(fd);
                return;
            }
            const std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + host + ":" +
                                        std::to_string(port) + "\r\nConnection: close\r\n\r\n";
            send(fd, request.data(), request.size(), MSG_NOSIGNAL);
            std::vector<char> buffer(1 << 20);
            uint64_t received = 0;
            bool in_body = false;
            std::string head;
            for (ssize_t n; (n = recv(fd, buffer.data(), buffer.size(), 0)) > 0;) {
                if (in_body) {
                    received += static_cast<uint64_t>(n);
                    continue;
                }
                head.append(buffer.data(), static_cast<size_t>(n));
                const auto end = head.find("\r\n\r\n");
                if (end == std::string::npos) continue;
                in_body = true;
                received = head.size() - end - 4;
            }
            close(fd);
            if (received != size) short_read = true;
        });
    for (auto& thread : threads) thread.join();
    const double seconds = Seconds(Clock::now() - begin);
    return short_read ? 0 : streams * static_cast<double>(size) / seconds;
}

double BestOf(int runs, const std::function<double()>& measure) {
    double best = 0;
    for (int i = 0; i < runs; ++i) best = std::max(best, measure());
    return best;
}

void Line(const char* figure, const char* unit, double ours, const char* peer_name, double peer,
          double ratio, const char* target) {
    std::printf("%-44s ours %10.2f %-6s %-13s %10.2f %-6s ratio %6.2f (%s)\n", figure, ours, unit,
                peer_name, peer, unit, ratio, target);
    std::fflush(stdout);
}

class Bench {
public:
    Bench(std::string stage, fs::path work) : stage_(std::move(stage)), work_(std::move(work)) {}

    std::unique_ptr<ServerProcess> StartOurs(const fs::path& folder) {
        return std::make_unique<ServerProcess>(
            stage_, std::vector<std::string>{"--ip", kOurIp, "--port", std::to_string(kOurPort),
                                             folder.string()});
    }
    // A fresh database, so MiniDLNA scans the whole folder.
    std::unique_ptr<ChildProcess> StartMiniDlna(const fs::path& folder, const std::string& tag) {
        const fs::path dir = work_ / ("minidlna-" + tag);
        fs::remove_all(dir);
        fs::create_directories(dir / "db");
        fs::create_directories(dir / "log");
        std::ofstream(dir / "minidlna.conf") << "media_dir=A," << folder.string() << "\n"
                                             << "db_dir=" << (dir / "db").string() << "\n"
                                             << "log_dir=" << (dir / "log").string() << "\n"
                                             << "port=" << kPeerPort << "\n"
                                             << "network_interface=lab1\n"
                                             << "friendly_name=minidlna-bench\n"
                                             << "inotify=no\nnotify_interval=900\nenable_tivo=no\n";
        return std::make_unique<ChildProcess>(
            "/usr/sbin/minidlnad",
            std::vector<std::string>{"-S", "-f", (dir / "minidlna.conf").string(), "-P",
                                     (dir / "minidlna.pid").string()});
    }
    Endpoint Ours() const { return {"ours", kOurIp, kOurPort, "/ContentDirectory/control", "2"}; }
    Endpoint Peer() const { return {"minidlna", kPeerIp, kPeerPort, "/ctl/ContentDir", ""}; }

    int Run() {
        const fs::path big = work_ / "music10k", small = work_ / "music5k", large = work_ / "large";
        std::printf("making %d + %d synthetic MP3s and a 1 GiB file in %s\n", kBigFolder,
                    kMemoryFolder, work_.c_str());
        MakeMp3Folder(big.string(), kBigFolder);
        MakeMp3Folder(small.string(), kMemoryFolder);
        fs::create_directories(large);
        MakeLargeFile((large / "large.mp4").string(), kLargeFile);

        // P3 and P2 on the 10,000-item folder.
        Endpoint ours = Ours(), peer = Peer();
        auto start = Clock::now();
        auto server = StartOurs(big);
        const double our_scan =
            UntilBrowseable(ours, kBigFolder, start, 120, [](Endpoint&) { return true; });
        start = Clock::now();
        auto minidlna = StartMiniDlna(big, "10k");
        const double peer_scan = UntilBrowseable(peer, kBigFolder, start, 600, [](Endpoint& at) {
            return ResolveMiniDlna(at, kBigFolder);
        });
        if (our_scan < 0 || peer_scan < 0) {
            std::fprintf(stderr, "not browseable: ours %.1f, minidlna %.1f\n%s\n%s\n", our_scan,
                         peer_scan, server->Output().c_str(), minidlna->Output().c_str());
            return 1;
        }
        Line("P3 start until 10000 files browseable", "s", our_scan, "minidlna", peer_scan,
             peer_scan / our_scan, "speed-up, target >= 5");

        const BrowseFigures our_browse = MeasureBrowse(ours, kBigFolder);
        const BrowseFigures peer_browse = MeasureBrowse(peer, kBigFolder);
        Line("P2 Browse 1000 of 10000, 1 client, p50", "ms", our_browse.p50_ms, "minidlna",
             peer_browse.p50_ms, our_browse.p50_ms / peer_browse.p50_ms, "target <= 0.8");
        Line("P2 Browse 1000 of 10000, 1 client, p99", "ms", our_browse.p99_ms, "minidlna",
             peer_browse.p99_ms, our_browse.p99_ms / peer_browse.p99_ms, "");
        Line("P2 Browse 1000 of 10000, 8 clients", "req/s", our_browse.rps, "minidlna",
             peer_browse.rps, our_browse.rps / peer_browse.rps, "higher is better");
        std::printf("P2 every item returned: ours %d/%d requests, minidlna %d/%d requests\n",
                    our_browse.complete, our_browse.requests, peer_browse.complete,
                    peer_browse.requests);
        server->Stop(SIGTERM);
        minidlna->Stop(SIGTERM);

        // P5 with 5,000 items, after one Browse of each.
        ours = Ours();
        peer = Peer();
        server = StartOurs(small);
        UntilBrowseable(ours, kMemoryFolder, Clock::now(), 120, [](Endpoint&) { return true; });
        minidlna = StartMiniDlna(small, "5k");
        UntilBrowseable(peer, kMemoryFolder, Clock::now(), 600,
                        [](Endpoint& at) { return ResolveMiniDlna(at, kMemoryFolder); });
        Browse(ours, ours.container, 0, kPage);
        Browse(peer, peer.container, 0, kPage);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const double our_rss = server->ResidentKiB() / 1024.0;
        const double peer_rss = minidlna->ResidentKiB() / 1024.0;
        Line("P5 resident memory, 5000 items", "MiB", our_rss, "minidlna", peer_rss,
             our_rss / peer_rss, "target <= 0.8");
        server->Stop(SIGTERM);
        minidlna->Stop(SIGTERM);

        // P4: one 1 GiB file, ours against the sendfile loop.
        ours = Ours();
        ours.container = "1";
        server = StartOurs(large);
        UntilBrowseable(ours, 1, Clock::now(), 60, [](Endpoint&) { return true; });
        std::smatch match;
        const std::string listing = Browse(ours, "1", 0, 0).result;
        if (!std::regex_search(listing, match, std::regex("(/share/[^&<]+)&lt;/res"))) {
            std::fprintf(stderr, "no URL for the large file\n");
            return 1;
        }
        const std::string path = match[1].str();
        SendfileServer loop(kOurIp, kLoopPort, (large / "large.mp4").string());
        Download(kOurIp, kOurPort, path, 1, kLargeFile);  // into the page cache
        for (int streams : {1, 4}) {
            const double our_rate =
                BestOf(3, [&] { return Download(kOurIp, kOurPort, path, streams, kLargeFile); });
            const double loop_rate =
                BestOf(3, [&] { return Download(kOurIp, kLoopPort, "/", streams, kLargeFile); });
            const std::string figure = "P4 download 1 GiB, " + std::to_string(streams) +
                                       (streams == 1 ? " stream" : " streams");
            Line(figure.c_str(), "MB/s", our_rate / 1e6, "sendfile loop", loop_rate / 1e6,
                 our_rate / loop_rate, "target >= 0.9");
        }
        server->Stop(SIGTERM);
        return 0;
    }

private:
    std::string stage_;
    fs::path work_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string why;
    if (!InNetworkLab(&why)) {
        std::fprintf(stderr, "not inside the network lab (%s); run it under tools/netlab\n",
                     why.c_str());
        return 2;
    }
    const std::string stage = argc > 1 ? argv[1] : DEFAULT_SERVER_STAGE;
    char pattern[] = "/tmp/dlna-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    const int status = Bench(stage, pattern).Run();
    fs::remove_all(pattern);
    return status;
}
