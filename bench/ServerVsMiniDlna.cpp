// The media server against MiniDLNA (Debian's minidlnad) on the same
// synthetic folders, its downloads against nginx and a plain sendfile loop,
// and Browse while clients stall its media port. Run inside the lab, after a
// staged install:
//   tools/netlab build/bench/bench_server_vs_minidlna [stage prefix]
//       [--seconds N] [--memory-seconds N] [--skip-browse]
//       [--skip-downloads] [--skip-stalls]
// Browse load comes from wrk (bench/browse_wrk.lua), event-driven C, so
// the client stays far below the servers' CPU (each run prints both).
// One line per figure: ours, the peer's, and the ratio with its target.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "HttpClient.h"
#include "LabGuard.h"
#include "Percentile.h"
#include "SendfileServer.h"
#include "ServerProcess.h"
#include "StalledClients.h"
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
const int kNginxPort = 50200;

constexpr int kBigFolder = 10000;
constexpr uint32_t kPage = 1000;
constexpr int kClients = 8;  // connections of the throughput and memory runs
constexpr uint64_t kLargeFile = uint64_t(1) << 30;
constexpr int kSmallFolder = 100;  // beside the large file, for the stalls
constexpr int kNonReaders = 32;
constexpr int kHalfRequests = 16;

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
    // Escaped text or CDATA: servers send the Result either way.
    for (const char* tag : {"&lt;item ", "<item "})
        for (size_t at = 0; (at = response.body.find(tag, at)) != std::string::npos; ++at)
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

// Seconds from `start` until the last 50 of the folder's items carry their
// artist tag: the metadata pass reads files in the order they were shared.
double UntilTagged(Endpoint& at, uint32_t expected, Clock::time_point start, double limit) {
    constexpr uint32_t kLast = 50;
    while (Seconds(Clock::now() - start) < limit) {
        const Answer answer = Browse(at, at.container, expected - kLast, kLast);
        size_t tagged = 0;
        for (const char* tag : {"&lt;upnp:artist&gt;", "<upnp:artist>"})
            for (size_t pos = 0; (pos = answer.result.find(tag, pos)) != std::string::npos; ++pos)
                ++tagged;
        if (tagged == kLast) return Seconds(Clock::now() - start);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
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

// The root's child containers (ours: by media class, and the folder view).
std::vector<std::string> RootContainers(const Endpoint& at) {
    const Answer top = Browse(at, "0", 0, 0);
    const std::regex container("(?:<|&lt;)container id=(?:\"|&quot;)([^\"&]+)");
    std::vector<std::string> ids;
    for (auto it = std::sregex_iterator(top.result.begin(), top.result.end(), container);
         it != std::sregex_iterator(); ++it)
        ids.push_back((*it)[1].str());
    return ids;
}

// Our container holding `expected` children, one below the root.
bool ResolveOurs(Endpoint& at, uint32_t expected) {
    for (const std::string& id : RootContainers(at))
        if (Browse(at, id, 0, 1).total == expected) {
            at.container = id;
            return true;
        }
    return false;
}

struct Url {
    std::string host;
    int port = 0;
    std::string path;
};

// The res URLs in a Browse Result (escaped or CDATA) whose path ends in
// `extension`, in order.
std::vector<Url> ResUrls(const std::string& result, const std::string& extension) {
    std::vector<Url> urls;
    const std::regex res(
        "(?:<|&lt;)res[^>]*?(?:>|&gt;)http://([0-9.]+):([0-9]+)(/[^<&]*)(?:<|&lt;)/res");
    for (auto it = std::sregex_iterator(result.begin(), result.end(), res);
         it != std::sregex_iterator(); ++it) {
        const std::string path = (*it)[3].str();
        if (path.ends_with(extension))
            urls.push_back({(*it)[1].str(), std::stoi((*it)[2].str()), path});
    }
    return urls;
}

// The first res URL ending in `extension` one below the root.
std::optional<Url> FindResUrl(const Endpoint& at, const std::string& extension) {
    for (const std::string& id : RootContainers(at))
        if (const auto urls = ResUrls(Browse(at, id, 0, 0).result, extension); !urls.empty())
            return urls.front();
    return std::nullopt;
}

// A Browse of the container's first `count` children that answers within
// `timeout_seconds` (per read).
bool BrowseWithin(const Endpoint& at, uint32_t count, int timeout_seconds) {
    const std::string body =
        "<?xml version=\"1.0\"?>\r\n<s:Envelope "
        "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:Browse "
        "xmlns:u=\"" + std::string(kCds) + "\"><ObjectID>" + at.container +
        "</ObjectID><BrowseFlag>BrowseDirectChildren</BrowseFlag><Filter>*</Filter>"
        "<StartingIndex>0</StartingIndex><RequestedCount>" + std::to_string(count) +
        "</RequestedCount><SortCriteria></SortCriteria></u:Browse></s:Body></s:Envelope>";
    const std::string request =
        "POST " + at.control + " HTTP/1.1\r\nHost: " + at.host + ":" + std::to_string(at.port) +
        "\r\nConnection: close\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nSOAPACTION: \"" +
        kCds + "#Browse\"\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    const WireResponse response = RawHttpExchange(at.host, at.port, request, timeout_seconds);
    return response.status == 200 &&
           std::atol(XmlElementText(response.body, "NumberReturned").c_str()) == count;
}

// Milliseconds of each of `count` GETs in a row; -1 for one that did not
// answer 200 within `timeout_seconds` (per read).
std::vector<double> TimedGets(const std::string& host, int port, const std::string& path,
                              int count, int timeout_seconds = 10) {
    std::vector<double> times;
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + host + ":" +
                                std::to_string(port) + "\r\nConnection: close\r\n\r\n";
    for (int i = 0; i < count; ++i) {
        const auto begin = Clock::now();
        const bool ok = RawHttpExchange(host, port, request, timeout_seconds).status == 200;
        times.push_back(ok ? 1000 * Seconds(Clock::now() - begin) : -1);
    }
    return times;
}

// One wrk run of bench/browse_wrk.lua against a server, and what the
// server and wrk used meanwhile.
struct WrkFigures {
    bool ok = false;  // wrk printed its line
    double seconds = 0, rps = 0, p50_ms = 0, p90_ms = 0, p99_ms = 0, max_ms = 0;
    long requests = 0, non2xx = 0, short_answers = 0, items_first = -1;
    long errors_connect = 0, errors_read = 0, errors_write = 0, errors_timeout = 0;
    double wrk_cpu = 0, server_cpu = 0;  // CPU seconds during the run
    long rss_end_kib = 0, rss_peak_kib = 0;
    std::string output;

    long Errors() const { return errors_connect + errors_read + errors_write + errors_timeout; }
    // libupnp closes the connection after each SOAP answer without a
    // "Connection: close", so wrk, which keeps connections alive, counts a
    // read error per answer; more than that is a broken answer.
    bool Clean(int connections, uint32_t page = kPage) const {
        return ok && requests > 0 && non2xx == 0 && short_answers == 0 &&
               errors_connect + errors_write + errors_timeout == 0 &&
               errors_read <= requests + connections && items_first == static_cast<long>(page);
    }
};

double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold spaces; fields count from after it.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14) ticks += std::stod(field);  // utime, stime
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ReapedChildrenCpu() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Options {
    std::string stage = DEFAULT_SERVER_STAGE;
    std::string wrk = "/usr/bin/wrk";
    std::string script = BROWSE_SCRIPT;
    std::string nginx = "/usr/sbin/nginx";
    int seconds = 10;         // each latency and throughput run
    int memory_seconds = 60;  // the load before reading resident memory
    bool browse = true;
    bool downloads = true;
    bool stalls = true;
};

WrkFigures RunWrk(const Options& options, const Endpoint& at, ChildProcess& server, int threads,
                  int connections, int seconds, uint32_t page = kPage) {
    WrkFigures figures;
    const std::string url = "http://" + at.host + ":" + std::to_string(at.port) + at.control;
    const double wrk_cpu_before = ReapedChildrenCpu();
    const double server_cpu_before = CpuSeconds(server.Pid());
    ChildProcess wrk(options.wrk,
                     {"-t", std::to_string(threads), "-c", std::to_string(connections), "-d",
                      std::to_string(seconds) + "s", "--timeout", "10s", "-s", options.script,
                      url, "--", at.container, std::to_string(page)});
    const auto deadline = Clock::now() + std::chrono::seconds(seconds + 30);
    while (wrk.Running()) {
        figures.rss_peak_kib = std::max(figures.rss_peak_kib, server.ResidentKiB());
        if (Clock::now() > deadline) {
            wrk.Stop(SIGKILL);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    // wrk is the only child reaped since the first reading.
    figures.wrk_cpu = ReapedChildrenCpu() - wrk_cpu_before;
    figures.server_cpu = CpuSeconds(server.Pid()) - server_cpu_before;
    figures.rss_end_kib = server.ResidentKiB();
    figures.rss_peak_kib = std::max(figures.rss_peak_kib, figures.rss_end_kib);
    figures.output = wrk.Output();

    std::smatch line;
    if (!std::regex_search(figures.output, line, std::regex("browse: ([^\n]*)"))) return figures;
    std::map<std::string, double> values;
    const std::string text = line[1].str();
    const std::regex pair("([a-z0-9_]+)=(-?[0-9.]+)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pair);
         it != std::sregex_iterator(); ++it)
        values[(*it)[1].str()] = std::stod((*it)[2].str());
    auto count = [&](const char* key) { return static_cast<long>(values[key]); };
    figures.ok = values.count("rps") && values.count("p99_ms");
    figures.requests = count("requests");
    figures.seconds = values["seconds"];
    figures.rps = values["rps"];
    figures.p50_ms = values["p50_ms"];
    figures.p90_ms = values["p90_ms"];
    figures.p99_ms = values["p99_ms"];
    figures.max_ms = values["max_ms"];
    figures.non2xx = count("non2xx");
    figures.short_answers = count("short");
    figures.items_first = count("items_first");
    figures.errors_connect = count("errors_connect");
    figures.errors_read = count("errors_read");
    figures.errors_write = count("errors_write");
    figures.errors_timeout = count("errors_timeout");
    return figures;
}

void Report(const char* name, const char* run, const WrkFigures& f) {
    if (!f.ok) {
        std::printf("  %s, %s: no figures from wrk\n%s\n", name, run, f.output.c_str());
        std::fflush(stdout);
        return;
    }
    std::printf(
        "  %-8s %-15s %6ld requests in %5.1f s, %7.1f req/s, p50 %6.2f p90 %6.2f p99 %6.2f max "
        "%6.2f ms; non-2xx %ld, short %ld, errors %ld (connect %ld read %ld write %ld timeout "
        "%ld), %ld items in the first answer; CPU wrk %4.1f%% server %5.1f%%; RSS %.1f MiB "
        "(peak %.1f)\n",
        name, run, f.requests, f.seconds, f.rps, f.p50_ms, f.p90_ms, f.p99_ms, f.max_ms, f.non2xx,
        f.short_answers, f.Errors(), f.errors_connect, f.errors_read, f.errors_write,
        f.errors_timeout, f.items_first, 100 * f.wrk_cpu / f.seconds,
        100 * f.server_cpu / f.seconds, f.rss_end_kib / 1024.0, f.rss_peak_kib / 1024.0);
    std::fflush(stdout);
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

// A figure's target as a bound on ours / peer's.
struct Target {
    enum Kind { None, AtMost, AtLeast } kind = None;
    double bound = 0;
    const char* note = "";  // for figures without a target
};
Target AtMost(double bound) { return {Target::AtMost, bound}; }
Target AtLeast(double bound) { return {Target::AtLeast, bound}; }
Target Note(const char* note) { return {Target::None, 0, note}; }

void Line(const char* figure, const char* unit, double ours, const char* peer_name, double peer,
          double ratio, const Target& target) {
    char verdict[64];
    if (target.kind == Target::None)
        std::snprintf(verdict, sizeof verdict, "%s", target.note);
    else
        std::snprintf(verdict, sizeof verdict, "target %s %.1f: %s",
                      target.kind == Target::AtMost ? "<=" : ">=", target.bound,
                      (target.kind == Target::AtMost ? ratio <= target.bound
                                                     : ratio >= target.bound)
                          ? "met"
                          : "MISSED");
    std::printf("%-44s ours %10.2f %-6s %-13s %10.2f %-6s ratio %6.2f (%s)\n", figure, ours, unit,
                peer_name, peer, unit, ratio, verdict);
    std::fflush(stdout);
}

// A figure with nothing to set it against.
void Plain(const char* figure, const char* unit, double value, const std::string& note) {
    std::printf("%-44s ours %10.2f %-6s (%s)\n", figure, value, unit, note.c_str());
    std::fflush(stdout);
}

class Bench {
public:
    Bench(Options options, fs::path work) : options_(std::move(options)), work_(std::move(work)) {}

    std::unique_ptr<ServerProcess> StartOurs(const fs::path& folder) {
        return std::make_unique<ServerProcess>(
            options_.stage, std::vector<std::string>{"--ip", kOurIp, "--port",
                                                     std::to_string(kOurPort), folder.string()});
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
        const fs::path big = work_ / "music10k", large = work_ / "large";
        const bool large_file = options_.downloads || options_.stalls;
        std::printf("making %s%s%s in %s\n", options_.browse ? "10000 synthetic MP3s" : "",
                    options_.browse && large_file ? " and " : "", large_file ? "a 1 GiB file" : "",
                    work_.c_str());
        std::fflush(stdout);
        int status = 0;
        if (options_.browse) {
            MakeMp3Folder(big.string(), kBigFolder);
            status = BrowseFigures(big);
            if (status != 0) return status;
        }
        if (!large_file) return status;
        fs::create_directories(large);
        MakeLargeFile((large / "large.mp4").string(), kLargeFile);
        if (options_.downloads) status |= DownloadFigures(large);
        if (options_.stalls) status |= StallFigures(large);
        return status;
    }

private:
    // Both servers on the 10,000-item folder: time until browseable, then
    // wrk against one and the other in turn (never both at once: they
    // share the machine's cores with wrk).
    int BrowseFigures(const fs::path& big) {
        Endpoint ours = Ours(), peer = Peer();
        auto start = Clock::now();
        auto server = StartOurs(big);
        const double our_scan =
            UntilBrowseable(ours, kBigFolder, start, 120, [](Endpoint&) { return true; });
        // MiniDLNA lists a file once it has read it: its time until
        // browseable is its time until tagged.
        const double our_tags = UntilTagged(ours, kBigFolder, start, 120);
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
        Line("start until 10000 files browseable", "s", our_scan, "minidlna", peer_scan,
             peer_scan / our_scan, Note("speed-up, target >= 5"));
        Line("start until 10000 files carry their tags", "s", our_tags, "minidlna", peer_scan,
             our_tags > 0 ? peer_scan / our_tags : 0, Note("speed-up; ours target < 60 s"));

        // The page wrk asks for, once through our own client.
        for (const Endpoint* at : {&ours, &peer}) {
            const Answer answer = Browse(*at, at->container, 0, kPage);
            std::printf("  %-8s container %s: %u of %u returned, %zu DIDL items\n",
                        at->name.c_str(), at->container.c_str(), answer.returned, answer.total,
                        answer.items);
            if (answer.returned != kPage || answer.items != kPage) {
                std::fprintf(stderr, "%s did not return %u items\n", at->name.c_str(), kPage);
                return 1;
            }
        }
        const double our_idle = server->ResidentKiB() / 1024.0;
        const double peer_idle = minidlna->ResidentKiB() / 1024.0;

        const std::string run = std::to_string(options_.seconds) + " s";
        const std::string load = std::to_string(options_.memory_seconds) + " s";
        bool clean = true;
        auto both = [&](const char* what, int threads, int connections, int seconds) {
            std::pair<WrkFigures, WrkFigures> pair{
                RunWrk(options_, ours, *server, threads, connections, seconds),
                RunWrk(options_, peer, *minidlna, threads, connections, seconds)};
            Report("ours", what, pair.first);
            Report("minidlna", what, pair.second);
            clean = clean && pair.first.Clean(connections) && pair.second.Clean(connections);
            return pair;
        };
        const auto [our_one, peer_one] = both(("-t1 -c1 " + run).c_str(), 1, 1, options_.seconds);
        const auto [our_eight, peer_eight] =
            both(("-t2 -c8 " + run).c_str(), 2, kClients, options_.seconds);
        const auto [our_load, peer_load] =
            both(("-t2 -c8 " + load).c_str(), 2, kClients, options_.memory_seconds);
        server->Stop(SIGTERM);
        minidlna->Stop(SIGTERM);
        for (const auto* f : {&our_one, &peer_one, &our_eight, &peer_eight, &our_load, &peer_load})
            if (f->errors_read > 0 && f->errors_read <= f->requests + kClients) {
                std::printf("  read errors up to one per request: the server closed each "
                            "connection after its answer, without \"Connection: close\"; wrk "
                            "reconnects and times the request from the new connection\n");
                break;
            }

        Line("Browse 1000 of 10000, 1 client, p50", "ms", our_one.p50_ms, "minidlna",
             peer_one.p50_ms, our_one.p50_ms / peer_one.p50_ms, AtMost(0.8));
        Line("Browse 1000 of 10000, 1 client, p99", "ms", our_one.p99_ms, "minidlna",
             peer_one.p99_ms, our_one.p99_ms / peer_one.p99_ms, AtMost(1.0));
        Line("Browse 1000 of 10000, 1 client", "req/s", our_one.rps, "minidlna", peer_one.rps,
             our_one.rps / peer_one.rps, Note("higher is better"));
        Line("Browse 1000 of 10000, 8 clients", "req/s", our_eight.rps, "minidlna",
             peer_eight.rps, our_eight.rps / peer_eight.rps, AtLeast(1.0));
        Line("Browse 1000 of 10000, 8 clients, p50", "ms", our_eight.p50_ms, "minidlna",
             peer_eight.p50_ms, our_eight.p50_ms / peer_eight.p50_ms, Note("lower is better"));
        Line("Browse 1000 of 10000, 8 clients, p99", "ms", our_eight.p99_ms, "minidlna",
             peer_eight.p99_ms, our_eight.p99_ms / peer_eight.p99_ms, Note("lower is better"));
        Line("resident memory, 10000 items, idle", "MiB", our_idle, "minidlna", peer_idle,
             our_idle / peer_idle, Note("after one Browse"));
        const std::string memory = "resident memory after " + load + " of 8 clients";
        Line(memory.c_str(), "MiB", our_load.rss_end_kib / 1024.0, "minidlna",
             peer_load.rss_end_kib / 1024.0,
             static_cast<double>(our_load.rss_end_kib) / static_cast<double>(peer_load.rss_end_kib),
             AtMost(0.8));
        if (!clean) std::printf("some wrk runs failed or had bad answers: see above\n");
        return clean ? 0 : 1;
    }

    // nginx from a temporary configuration on the lab address, never the
    // system service: sendfile on, `root` as its document root. Null when
    // it is not installed or does not start.
    std::unique_ptr<ChildProcess> StartNginx(const fs::path& root) {
        if (access(options_.nginx.c_str(), X_OK) != 0) {
            std::printf("  no nginx at %s: downloads against the sendfile loop only\n",
                        options_.nginx.c_str());
            return nullptr;
        }
        const fs::path dir = work_ / "nginx";
        fs::create_directories(dir / "temp");
        // Workers run as root: the files lie in a folder only root may enter.
        std::ofstream(dir / "nginx.conf")
            << "daemon off;\nuser root;\nworker_processes auto;\n"
            << "pid " << (dir / "nginx.pid").string() << ";\n"
            << "error_log " << (dir / "error.log").string() << ";\n"
            << "events { worker_connections 64; }\n"
            << "http {\n  access_log off;\n  sendfile on;\n  tcp_nopush on;\n"
            << "  client_body_temp_path temp/body;\n  proxy_temp_path temp/proxy;\n"
            << "  fastcgi_temp_path temp/fastcgi;\n  uwsgi_temp_path temp/uwsgi;\n"
            << "  scgi_temp_path temp/scgi;\n  types { video/mp4 mp4; }\n"
            << "  server { listen " << kOurIp << ":" << kNginxPort << "; root "
            << root.string() << "; }\n}\n";
        auto nginx = std::make_unique<ChildProcess>(
            options_.nginx, std::vector<std::string>{"-p", dir.string(), "-e",
                                                     (dir / "error.log").string(), "-c",
                                                     (dir / "nginx.conf").string()});
        for (const auto until = Clock::now() + std::chrono::seconds(10); Clock::now() < until;) {
            if (const int fd = ConnectWithin(kOurIp, kNginxPort, 200); fd >= 0) {
                close(fd);
                return nginx;
            }
            if (!nginx->Running()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::printf("  nginx did not start:\n%s\n", nginx->Output().c_str());
        return nullptr;
    }

    // One 1 GiB file from its res URL (the media port), against nginx and
    // the sendfile loop serving the same file.
    int DownloadFigures(const fs::path& large) {
        Endpoint ours = Ours();
        auto server = StartOurs(large);
        std::optional<Url> found;
        for (const auto until = Clock::now() + std::chrono::seconds(60);
             !found && Clock::now() < until;
             std::this_thread::sleep_for(std::chrono::milliseconds(50)))
            found = FindResUrl(ours, ".mp4");
        if (!found) {
            std::fprintf(stderr, "no URL for the large file\n%s\n", server->Output().c_str());
            return 1;
        }
        const Url& media = *found;
        std::printf("  res URL http://%s:%d%s\n", media.host.c_str(), media.port,
                    media.path.c_str());
        SendfileServer loop(kOurIp, kLoopPort, (large / "large.mp4").string());
        const auto nginx = StartNginx(large);
        // Into the page cache, and a check that every server sends it whole.
        bool whole = Download(media.host, media.port, media.path, 1, kLargeFile) > 0 &&
                     Download(kOurIp, kLoopPort, "/", 1, kLargeFile) > 0;
        if (nginx) whole = whole && Download(kOurIp, kNginxPort, "/large.mp4", 1, kLargeFile) > 0;
        for (int streams : {1, 4}) {
            // Rounds take turns, so a busy moment of the machine hits all.
            double ours_best = 0, loop_best = 0, nginx_best = 0;
            for (int round = 0; round < 3; ++round) {
                ours_best = std::max(
                    ours_best, Download(media.host, media.port, media.path, streams, kLargeFile));
                loop_best =
                    std::max(loop_best, Download(kOurIp, kLoopPort, "/", streams, kLargeFile));
                if (nginx)
                    nginx_best = std::max(nginx_best, Download(kOurIp, kNginxPort, "/large.mp4",
                                                               streams, kLargeFile));
            }
            const std::string figure = "download 1 GiB, " + std::to_string(streams) +
                                       (streams == 1 ? " stream" : " streams");
            Line(figure.c_str(), "MB/s", ours_best / 1e6, "sendfile loop", loop_best / 1e6,
                 ours_best / loop_best, AtLeast(0.9));
            if (nginx)
                Line(figure.c_str(), "MB/s", ours_best / 1e6, "nginx", nginx_best / 1e6,
                     ours_best / nginx_best, AtLeast(0.9));
        }
        if (nginx) nginx->Stop(SIGTERM);
        server->Stop(SIGTERM);
        if (!whole) std::printf("some download came short of 1 GiB\n");
        return whole ? 0 : 1;
    }

    // Our server sharing the large file and 100 MP3s: Browse, the
    // description and a small file, with and without 32 non-readers and 16
    // half-requests on the media port; how long the server keeps those; then
    // the same stalls on libupnp's own port.
    int StallFigures(const fs::path& large) {
        const fs::path folder = work_ / "stalls";
        MakeMp3Folder(folder.string(), kSmallFolder);
        fs::create_hard_link(large / "large.mp4", folder / "large.mp4");
        const uint32_t page = kSmallFolder;
        Endpoint ours = Ours();
        auto server = StartOurs(folder);
        if (UntilBrowseable(ours, kSmallFolder, Clock::now(), 60,
                            [](Endpoint& at) { return ResolveOurs(at, kSmallFolder); }) < 0) {
            std::fprintf(stderr, "the MP3s are not browseable\n%s\n", server->Output().c_str());
            return 1;
        }
        const auto large_url = FindResUrl(ours, ".mp4");
        const auto small_urls = ResUrls(Browse(ours, ours.container, 0, 1).result, ".mp3");
        if (!large_url || small_urls.empty()) {
            std::fprintf(stderr, "no URLs for the stalls' files\n");
            return 1;
        }
        const Url &media = *large_url, &small = small_urls.front();
        std::printf("  media port %s:%d, large file %s, small file %s; Browse %u of %u in "
                    "container %s\n",
                    media.host.c_str(), media.port, media.path.c_str(), small.path.c_str(), page,
                    page, ours.container.c_str());
        const int gets = 20;
        const auto description_calm = TimedGets(ours.host, ours.port, "/description.xml", gets);
        const auto small_calm = TimedGets(small.host, small.port, small.path, gets);
        const WrkFigures calm =
            RunWrk(options_, ours, *server, 2, kClients, options_.seconds, page);
        Report("ours", "-t2 -c8 calm", calm);

        const int stalled_count = kNonReaders + kHalfRequests;
        StalledClients stalls(media.host, media.port, media.path, kNonReaders, small.path,
                              kHalfRequests);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        uint64_t unsent = 0;
        const int held = stalls.HeldByServer(&unsent);
        std::printf("  %d of %d stalled connections open (%d GET the large file with a 4 KiB "
                    "receive buffer and never read, %d sent a request line and a Host header), "
                    "%d held by the server with %.1f MiB unsent\n",
                    stalls.Opened(), stalled_count, kNonReaders, kHalfRequests, held,
                    static_cast<double>(unsent) / (1 << 20));
        const WrkFigures stalled =
            RunWrk(options_, ours, *server, 2, kClients, options_.seconds, page);
        Report("ours", "-t2 -c8 stalled", stalled);
        const auto description_stalled =
            TimedGets(ours.host, ours.port, "/description.xml", gets);
        const auto small_stalled = TimedGets(small.host, small.port, small.path, gets);
        const int still_held = stalls.HeldByServer();
        std::printf("  %d stalled connections still held by the server after the runs\n",
                    still_held);

        const std::string what = "Browse " + std::to_string(page) + ", 8 clients, " +
                                 std::to_string(stalled_count) + " stalled";
        char p99_note[64];
        std::snprintf(p99_note, sizeof p99_note, "target < 100 ms stalled: %s",
                      stalled.p99_ms < 100 ? "met" : "MISSED");
        Line((what + ", p50").c_str(), "ms", stalled.p50_ms, "no stalls", calm.p50_ms,
             stalled.p50_ms / calm.p50_ms, Note("lower is better"));
        Line((what + ", p99").c_str(), "ms", stalled.p99_ms, "no stalls", calm.p99_ms,
             stalled.p99_ms / calm.p99_ms, Note(p99_note));
        Line(what.c_str(), "req/s", stalled.rps, "no stalls", calm.rps, stalled.rps / calm.rps,
             Note("higher is better"));
        const auto get_lines = [&](const std::string& name, const std::vector<double>& with,
                                   const std::vector<double>& without) {
            const auto failed = [](const std::vector<double>& times) {
                return std::count(times.begin(), times.end(), -1.0);
            };
            char note[96];
            std::snprintf(note, sizeof note, "%d GETs; failed %ld stalled, %ld without", gets,
                          static_cast<long>(failed(with)), static_cast<long>(failed(without)));
            for (const auto& [label, p] : {std::pair{"p50", 0.5}, std::pair{"max", 1.0}}) {
                const double a = Percentile(with, p), b = Percentile(without, p);
                Line((name + ", " + label).c_str(), "ms", a, "no stalls", b, a / b, Note(note));
            }
        };
        get_lines("GET description (libupnp port) stalled", description_stalled,
                  description_calm);
        get_lines("GET small file (media port) stalled", small_stalled, small_calm);

        // The server's idle limit is 60 s: wait well past it.
        const auto closed = stalls.WaitUntilClosed(150);
        const auto ending = stalls.Drain(5);
        std::vector<double> seconds;
        for (double s : closed)
            if (s >= 0) seconds.push_back(s);
        char note[160];
        std::snprintf(note, sizeof note,
                      "%zu of %d closed by the server; then %d EOF, %d reset, %d open after "
                      "reading %.1f MiB left in flight",
                      seconds.size(), stalls.Opened(), ending.eof, ending.reset, ending.open,
                      static_cast<double>(ending.drained) / (1 << 20));
        if (!seconds.empty()) {
            Plain("stalled connections closed after, first", "s",
                  *std::min_element(seconds.begin(), seconds.end()), note);
            Plain("stalled connections closed after, last", "s",
                  *std::max_element(seconds.begin(), seconds.end()),
                  "from each one's request; idle limit 60 s");
        } else {
            Plain("stalled connections closed", "", 0, note);
        }
        stalls.Close();
        const bool clean = calm.Clean(kClients, page) && stalled.Clean(kClients, page) &&
                           held == stalled_count &&
                           seconds.size() == static_cast<size_t>(stalled_count);

        LibupnpStalls(ours, media.path);
        server->Stop(SIGTERM);
        if (!clean) std::printf("the stalls part had failures: see above\n");
        return clean ? 0 : 1;
    }

    // The same stalls on libupnp's port, whose web server still serves the
    // shared files at the same paths. Its threads each wait on one client;
    // probes are capped so the bench does not wait on it.
    void LibupnpStalls(const Endpoint& ours, const std::string& path) {
        constexpr int kProbe = 5, kWhileStalled = 30, kAfter = 60;
        const WireResponse head = HttpRequest(ours.host, ours.port, "HEAD", path);
        const auto opened = Clock::now();
        StalledClients stalls(ours.host, ours.port, path, kNonReaders, "/description.xml",
                              kHalfRequests);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        uint64_t unsent = 0;
        const int held = stalls.HeldByServer(&unsent);
        std::printf("  libupnp's port: HEAD %s answers %d; %d of %d stalled connections open, "
                    "%.1f MiB unsent\n",
                    path.c_str(), head.status, held, kNonReaders + kHalfRequests,
                    static_cast<double>(unsent) / (1 << 20));
        std::fflush(stdout);
        const auto description = TimedGets(ours.host, ours.port, "/description.xml", 1, kProbe);
        double first_answer = -1;
        int tries = 0;
        while (Seconds(Clock::now() - opened) < kWhileStalled) {
            ++tries;
            if (BrowseWithin(ours, kSmallFolder, kProbe)) {
                first_answer = Seconds(Clock::now() - opened);
                break;
            }
        }
        char note[160];
        std::snprintf(note, sizeof note,
                      "answered within %d s: %s; %s; description within %d s: %s", kProbe,
                      first_answer >= 0 && first_answer <= kProbe + 1 ? "yes" : "no",
                      first_answer >= 0 ? "seconds from the stalls to the answer"
                                        : ("none in " + std::to_string(kWhileStalled) + " s, " +
                                           std::to_string(tries) + " tries")
                                              .c_str(),
                      kProbe, description[0] >= 0 ? "yes" : "no");
        Plain("Browse on libupnp's port, stalled there", "s",
              first_answer >= 0 ? first_answer : Seconds(Clock::now() - opened), note);
        stalls.Close();
        const auto released = Clock::now();
        double again = -1;
        while (Seconds(Clock::now() - released) < kAfter) {
            if (BrowseWithin(ours, kSmallFolder, kProbe)) {
                again = Seconds(Clock::now() - released);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        Plain("Browse on libupnp's port once they closed", "s", again >= 0 ? again : kAfter,
              again >= 0 ? "until it answers again" : "no answer yet");
    }

    Options options_;
    fs::path work_;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_server_vs_minidlna [stage prefix] [--seconds N] "
                 "[--memory-seconds N] [--skip-browse] [--skip-downloads] [--skip-stalls] "
                 "[--wrk PATH] [--script PATH] [--nginx PATH]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--skip-browse") {
            options.browse = false;
        } else if (arg == "--skip-downloads") {
            options.downloads = false;
        } else if (arg == "--skip-stalls") {
            options.stalls = false;
        } else if (arg == "--seconds" && has_value) {
            options.seconds = std::atoi(argv[++i]);
        } else if (arg == "--memory-seconds" && has_value) {
            options.memory_seconds = std::atoi(argv[++i]);
        } else if (arg == "--wrk" && has_value) {
            options.wrk = argv[++i];
        } else if (arg == "--script" && has_value) {
            options.script = argv[++i];
        } else if (arg == "--nginx" && has_value) {
            options.nginx = argv[++i];
        } else if (arg.rfind("--", 0) != 0) {
            options.stage = arg;
        } else {
            return Usage();
        }
    }
    if (options.seconds < 1 || options.memory_seconds < 1) return Usage();
    std::string why;
    if (!InNetworkLab(&why)) {
        std::fprintf(stderr, "not inside the network lab (%s); run it under tools/netlab\n",
                     why.c_str());
        return 2;
    }
    if (access(options.wrk.c_str(), X_OK) != 0 || access(options.script.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "needs wrk (%s) and its script (%s)\n", options.wrk.c_str(),
                     options.script.c_str());
        return 2;
    }
    char pattern[] = "/tmp/dlna-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    const int status = Bench(options, pattern).Run();
    fs::remove_all(pattern);
    return status;
}
