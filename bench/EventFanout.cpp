// Event fan-out against the staged `dlna-renderer --null` and gmediarender
// (a renderer on libupnp as well), side by side in one run: 32 GENA
// subscribers to RenderingControl on lab1, a SetVolume, and the time until
// each subscriber holds the NOTIFY carrying the new volume; and whether the
// subscribers slow GetPositionInfo down. Run inside the lab:
//   tools/netlab build/bench/bench_event_fanout [--changes 50] [--listeners 2]
//                                               [staged install prefix]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "HttpClient.h"
#include "LabGuard.h"
#include "Percentile.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSubscribers = 32;
constexpr auto kSpacing = std::chrono::milliseconds(300);
constexpr int kRounds = 10;
constexpr int kPerRound = 200;
const char* const kListenIp = "198.51.100.2";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Unescaped(std::string text) {
    // LastChange travels escaped once inside the property set; twice would
    // show as "&amp;lt;", so two passes cover both.
    for (int pass = 0; pass < 2; ++pass) {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            static const std::pair<const char*, char> kEntities[] = {
                {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}};
            bool replaced = false;
            for (const auto& [entity, c] : kEntities) {
                const size_t length = std::strlen(entity);
                if (text.compare(i, length, entity) == 0) {
                    out += c;
                    i += length;
                    replaced = true;
                    break;
                }
            }
            if (!replaced) out += text[i++];
        }
        text.swap(out);
    }
    return text;
}

// The Master volume a LastChange body carries, or -1. By hand rather than
// with std::regex: it runs on the listener thread for every NOTIFY.
int MasterVolume(const std::string& body) {
    const std::string text = Unescaped(body);
    for (size_t at = 0; (at = text.find("<Volume ", at)) != std::string::npos; ++at) {
        const std::string tag = text.substr(at, text.find('>', at) - at);
        if (tag.find("channel=\"Master\"") == std::string::npos) continue;
        const size_t value = tag.find(" val=\"");
        if (value != std::string::npos) return std::atoi(tag.c_str() + value + 6);
    }
    return -1;
}

// ---- The subscribers' side: epoll threads answering every NOTIFY. ----

struct Notification {
    int subscriber;
    Clock::time_point arrival;
    std::string body;
    int volume = -1;  // the Master volume it carries
};

// Listener threads share one port (SO_REUSEPORT spreads the connections).
// Only the subscribers' completion of a watched change wakes the bench.
class NotifySink {
public:
    explicit NotifySink(int threads) {
        for (int i = 0; i < threads; ++i) {
            auto listener = std::make_unique<Listener>();
            if (!listener->Open(port_)) {
                listeners_.clear();
                port_ = 0;
                return;
            }
            port_ = listener->port;
            listeners_.push_back(std::move(listener));
        }
        for (auto& listener : listeners_)
            listener->thread = std::thread([this, l = listener.get()] { Run(*l); });
    }
    ~NotifySink() {
        stopping_ = true;
        for (auto& listener : listeners_) {
            (void)!write(listener->wake[1], "x", 1);
            if (listener->thread.joinable()) listener->thread.join();
        }
    }
    bool Ok() const { return !listeners_.empty() && port_ != 0; }
    int Port() const { return port_; }
    long Handled() const { return handled_; }
    // The listener threads' CPU time per NOTIFY: what the harness costs.
    double CpuMicrosecondsEach() const {
        double total = 0;
        for (const auto& listener : listeners_) total += listener->cpu_us;
        return handled_ ? total / static_cast<double>(handled_) : 0;
    }

    // Subscriber `k` of `group` calls back at /GROUP/K.
    std::string Callback(int group, int k) const {
        return "<http://" + std::string(kListenIp) + ":" + std::to_string(port_) + "/" +
               std::to_string(group) + "/" + std::to_string(k) + ">";
    }

    // Watches from now on for every subscriber of `group` to receive a
    // NOTIFY carrying `volume` (-1: any NOTIFY).
    void Watch(int group, int volume) {
        std::lock_guard<std::mutex> guard(mutex_);
        watch_ = {group, volume, std::vector<bool>(kSubscribers), 0};
    }
    // Waits (bounded) until the watched NOTIFY reached every subscriber.
    bool WaitWatched(Clock::duration timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, timeout, [&] { return watch_.count == kSubscribers; });
    }
    size_t Count(int group) {
        std::lock_guard<std::mutex> guard(mutex_);
        return received_[group].size();
    }
    std::vector<Notification> Received(int group) {
        std::lock_guard<std::mutex> guard(mutex_);
        return received_[group];
    }

private:
    struct Connection {
        std::string data;
        bool answered = false;
    };
    struct Listener {
        ~Listener() {
            for (auto& [fd, pending] : connections) close(fd);
            for (int fd : {socket_fd, epoll, wake[0], wake[1]})
                if (fd >= 0) close(fd);
        }
        bool Open(int want_port) {
            socket_fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            int one = 1;
            setsockopt(socket_fd, SOL_SOCKET, SO_REUSEPORT, &one, sizeof one);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<uint16_t>(want_port));
            inet_pton(AF_INET, kListenIp, &address.sin_addr);
            if (bind(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                listen(socket_fd, 512) != 0)
                return false;
            socklen_t length = sizeof address;
            getsockname(socket_fd, reinterpret_cast<sockaddr*>(&address), &length);
            port = ntohs(address.sin_port);
            epoll = epoll_create1(EPOLL_CLOEXEC);
            if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return false;
            Add(socket_fd);
            Add(wake[0]);
            return true;
        }
        void Add(int fd) const {
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.fd = fd;
            epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event);
        }
        void Drop(int fd) {
            epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
            close(fd);
            connections.erase(fd);
        }

        int socket_fd = -1, epoll = -1, port = 0;
        int wake[2] = {-1, -1};
        std::map<int, Connection> connections;  // its thread's alone
        std::atomic<double> cpu_us{0};
        std::thread thread;
    };

    void Run(Listener& listener) {
        epoll_event events[64];
        timespec cpu_start{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu_start);
        while (!stopping_) {
            const int n = epoll_wait(listener.epoll, events, 64, -1);
            for (int i = 0; i < n; ++i) {
                const int fd = events[i].data.fd;
                if (fd == listener.wake[0]) continue;
                if (fd == listener.socket_fd) {
                    for (int client; (client = accept4(listener.socket_fd, nullptr, nullptr,
                                                       SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
                        listener.connections[client];
                        listener.Add(client);
                    }
                    continue;
                }
                Readable(listener, fd);
            }
            timespec now{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
            listener.cpu_us = (now.tv_sec - cpu_start.tv_sec) * 1e6 +
                              (now.tv_nsec - cpu_start.tv_nsec) / 1e3;
        }
    }

    // Answers once the whole request is in, then waits for the sender to
    // close: closing first, with its trailing bytes unread, would reset it.
    void Readable(Listener& listener, int fd) {
        Connection& connection = listener.connections[fd];
        char buffer[16384];
        for (;;) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got == 0) return listener.Drop(fd);
            if (got < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) break;
                return listener.Drop(fd);
            }
            if (!connection.answered) connection.data.append(buffer, static_cast<size_t>(got));
        }
        if (connection.answered) return;
        const size_t head_end = connection.data.find("\r\n\r\n");
        if (head_end == std::string::npos) return;
        const std::string head = Lower(connection.data.substr(0, head_end));
        size_t length = 0;
        if (auto at = head.find("\r\ncontent-length:"); at != std::string::npos)
            length = std::strtoul(head.c_str() + at + 17, nullptr, 10);
        if (connection.data.size() < head_end + 4 + length) return;
        const auto arrival = Clock::now();
        static const char kOk[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        (void)!send(fd, kOk, sizeof kOk - 1, MSG_NOSIGNAL);
        connection.answered = true;

        Notification notification{-1, arrival, connection.data.substr(head_end + 4, length)};
        int group = -1;
        std::sscanf(connection.data.c_str(), "NOTIFY /%d/%d ", &group, &notification.subscriber);
        connection.data.clear();
        notification.volume = MasterVolume(notification.body);
        ++handled_;
        bool complete = false;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            const int k = notification.subscriber;
            if (group == watch_.group && k >= 0 && k < kSubscribers && !watch_.seen[k] &&
                (watch_.volume < 0 || watch_.volume == notification.volume)) {
                watch_.seen[k] = true;
                complete = ++watch_.count == kSubscribers;
            }
            received_[group].push_back(std::move(notification));
        }
        if (complete) arrived_.notify_all();
    }

    struct Watched {
        int group = -1;
        int volume = -1;
        std::vector<bool> seen;
        int count = 0;
    };

    std::vector<std::unique_ptr<Listener>> listeners_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<long> handled_{0};
    std::mutex mutex_;
    std::condition_variable arrived_;
    Watched watch_;
    std::map<int, std::vector<Notification>> received_;
};

// ---- The renderers. ----

struct ServiceUrls {
    std::string type, control, event;
};

struct Renderer {
    Renderer(std::string name, int group) : name(std::move(name)), group(group) {}
    std::string name;
    int group;  // its subscribers' callback group
    std::string host;
    int port = 0;
    ServiceUrls transport, rendering;
    std::vector<std::string> sids;
};

// "http://host:port/path" split; false when it is not one.
bool SplitUrl(const std::string& url, std::string* host, int* port, std::string* path) {
    static const std::regex pattern(R"(http://([0-9.]+):(\d+)(/.*)?)");
    std::smatch match;
    if (!std::regex_match(url, match, pattern)) return false;
    *host = match[1];
    *port = std::stoi(match[2]);
    *path = match[3].matched ? match[3].str() : "/";
    return true;
}

// The URLs of the service of `kind` in a device description, as paths on
// the renderer's host.
std::optional<ServiceUrls> FindService(const std::string& description, const std::string& kind) {
    static const std::regex service(R"(<service>([\s\S]*?)</service>)");
    for (std::sregex_iterator it(description.begin(), description.end(), service), end; it != end;
         ++it) {
        const std::string block = (*it)[1];
        ServiceUrls urls{XmlElementText(block, "serviceType"), XmlElementText(block, "controlURL"),
                         XmlElementText(block, "eventSubURL")};
        if (urls.type.find(":service:" + kind + ":") == std::string::npos) continue;
        // Absolute URLs name the host already; relative ones hang off it.
        for (std::string* url : {&urls.control, &urls.event}) {
            std::string host, path;
            int port;
            if (SplitUrl(*url, &host, &port, &path)) *url = path;
            if (url->empty() || url->front() != '/') *url = "/" + *url;
        }
        return urls;
    }
    return std::nullopt;
}

bool Describe(Renderer& renderer, const std::string& location) {
    std::string path;
    if (!SplitUrl(location, &renderer.host, &renderer.port, &path)) return false;
    WireResponse description = HttpRequest(renderer.host, renderer.port, "GET", path);
    if (description.status != 200) return false;
    auto transport = FindService(description.body, "AVTransport");
    auto rendering = FindService(description.body, "RenderingControl");
    if (!transport || !rendering) return false;
    renderer.transport = *transport;
    renderer.rendering = *rendering;
    return true;
}

bool PositionRequest(const Renderer& renderer) {
    WireResponse response =
        SoapCall(renderer.host, renderer.port, renderer.transport.control, renderer.transport.type,
                 "GetPositionInfo", {{"InstanceID", "0"}});
    return response.status == 200 && !XmlElementText(response.body, "RelTime").empty();
}

bool SetVolume(const Renderer& renderer, int volume) {
    WireResponse response = SoapCall(
        renderer.host, renderer.port, renderer.rendering.control, renderer.rendering.type,
        "SetVolume",
        {{"InstanceID", "0"}, {"Channel", "Master"}, {"DesiredVolume", std::to_string(volume)}});
    return response.status == 200;
}

// Subscribes kSubscribers callbacks to RenderingControl and waits until
// each has its initial event; false on any refusal or a missing event.
bool Subscribe(Renderer& renderer, NotifySink& sink) {
    sink.Watch(renderer.group, -1);
    for (int k = 0; k < kSubscribers; ++k) {
        WireResponse answer = HttpRequest(renderer.host, renderer.port, "SUBSCRIBE",
                                          renderer.rendering.event,
                                          {{"CALLBACK", sink.Callback(renderer.group, k)},
                                           {"NT", "upnp:event"},
                                           {"TIMEOUT", "Second-1800"}});
        if (answer.status != 200 || answer.Header("SID").empty()) {
            std::fprintf(stderr, "%s: SUBSCRIBE %d answered %d\n", renderer.name.c_str(), k,
                         answer.status);
            return false;
        }
        renderer.sids.push_back(answer.Header("SID"));
    }
    if (!sink.WaitWatched(std::chrono::seconds(5))) {
        std::fprintf(stderr, "%s: not every subscriber got its initial event\n",
                     renderer.name.c_str());
        return false;
    }
    return true;
}

bool Unsubscribe(Renderer& renderer) {
    bool all = true;
    for (const auto& sid : renderer.sids)
        all &= HttpRequest(renderer.host, renderer.port, "UNSUBSCRIBE", renderer.rendering.event,
                           {{"SID", sid}})
                   .status == 200;
    renderer.sids.clear();
    return all;
}

// ---- Figures. ----

struct Latencies {
    std::vector<double> values;
    int failed = 0;
    double P(double p) const { return values.empty() ? 0 : Percentile(values, p); }
};

// Sequential requests until `duration` has passed.
void PositionFor(const Renderer& renderer, Clock::duration duration, Latencies& out) {
    const auto end = Clock::now() + duration;
    while (Clock::now() < end) {
        const auto start = Clock::now();
        if (!PositionRequest(renderer)) ++out.failed;
        out.values.push_back(Ms(Clock::now() - start));
    }
}

void PositionRound(const Renderer& renderer, int requests, Latencies& out) {
    for (int i = 0; i < requests; ++i) {
        const auto start = Clock::now();
        if (!PositionRequest(renderer)) ++out.failed;
        out.values.push_back(Ms(Clock::now() - start));
    }
}

// Sends SetVolume to `renderer` every kSpacing while it lives.
class VolumeChanger {
public:
    explicit VolumeChanger(const Renderer& renderer)
        : thread_([this, &renderer] {
              std::unique_lock<std::mutex> lock(mutex_);
              while (!stop_) {
                  lock.unlock();
                  // Never a value the fan-out figures use, and shared by all
                  // changers so that the next one changes the volume again.
                  static std::atomic<int> next{0};
                  SetVolume(renderer, 90 + next++ % 10);
                  lock.lock();
                  stopped_.wait_for(lock, kSpacing, [this] { return stop_; });
              }
          }) {}
    ~VolumeChanger() {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            stop_ = true;
        }
        stopped_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
    std::thread thread_;
};

struct Fanout {
    std::vector<double> notify_from_send;  // every subscriber of every change
    std::vector<double> all_from_send;     // the last of the subscribers, per change
    std::vector<double> all_from_answer;
    std::vector<double> first_from_send;   // the first of the subscribers, per change
    std::vector<double> spread;            // first to last subscriber, per change
    std::vector<double> answer;            // SetVolume round trip
    int missing = 0;                       // deliveries that never came (2 s)
    int failed = 0;
    std::string sample;                    // one NOTIFY body
    double slowest_all = 0, slowest_first = 0;  // the change that took longest
    int over_50ms = 0;                          // changes not at all 32 within 50 ms
};

// One volume change: waits until every subscriber holds it (or 2 s).
void OneChange(Renderer& renderer, NotifySink& sink, int volume, Fanout& out) {
    const size_t before = sink.Count(renderer.group);
    sink.Watch(renderer.group, volume);
    const auto sent = Clock::now();
    if (!SetVolume(renderer, volume)) ++out.failed;
    const auto answered = Clock::now();
    out.answer.push_back(Ms(answered - sent));
    sink.WaitWatched(std::chrono::seconds(2));

    const auto all = sink.Received(renderer.group);
    std::vector<Clock::time_point> first(kSubscribers, Clock::time_point::max());
    for (size_t i = before; i < all.size(); ++i) {
        const int k = all[i].subscriber;
        if (k < 0 || k >= kSubscribers || all[i].volume != volume) continue;
        first[k] = std::min(first[k], all[i].arrival);
        if (out.sample.empty()) {
            out.sample = Unescaped(all[i].body);
            std::erase_if(out.sample, [](char c) { return c == '\r' || c == '\n'; });
        }
    }
    const auto none = Clock::time_point::max();
    Clock::time_point last = sent, earliest = none;
    for (auto t : first) {
        if (t == none) {
            ++out.missing;
            continue;
        }
        out.notify_from_send.push_back(Ms(t - sent));
        last = std::max(last, t);
        earliest = std::min(earliest, t);
    }
    if (std::find(first.begin(), first.end(), none) != first.end()) {
        std::string seen;
        for (size_t i = before; i < all.size(); ++i)
            seen += " " + std::to_string(all[i].subscriber) + ":" + std::to_string(all[i].volume) +
                    "@" + std::to_string(static_cast<int>(Ms(all[i].arrival - sent))) + "ms";
        std::fprintf(stderr, "%s: volume %d did not reach every subscriber within 2 s;%s\n",
                     renderer.name.c_str(), volume, seen.empty() ? " no NOTIFY" : seen.c_str());
        return;
    }
    if (out.all_from_send.empty() || Ms(last - sent) > out.slowest_all) {
        out.slowest_all = Ms(last - sent);
        out.slowest_first = Ms(earliest - sent);
    }
    if (Ms(last - sent) > 50) ++out.over_50ms;
    out.all_from_send.push_back(Ms(last - sent));
    out.all_from_answer.push_back(Ms(last - answered));
    out.first_from_send.push_back(Ms(earliest - sent));
    out.spread.push_back(Ms(last - earliest));
}

// Changes alternate between the renderers; each renderer's own changes are
// at least 2 x kSpacing apart, beyond any moderation interval. The random
// extra keeps the changes from falling into step with anything periodic in
// a renderer (SSDP advertisements), which would sample only a few phases.
void FanoutSideBySide(std::vector<Renderer*> renderers, NotifySink& sink, int changes,
                      std::vector<Fanout>& out) {
    out.assign(renderers.size(), {});
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> jitter(0, 100);
    for (int i = 0; i < changes; ++i)
        for (size_t r = 0; r < renderers.size(); ++r) {
            const auto start = Clock::now();
            // Distinct values, alternating low and high, so a late NOTIFY
            // can never pass for the next change.
            OneChange(*renderers[r], sink, (i % 2 ? 55 : 10) + i / 2 % 45, out[r]);
            std::this_thread::sleep_until(start + kSpacing +
                                          std::chrono::milliseconds(jitter(random)));
        }
}

void Line(const std::string& figure, double ours, double peer, const std::string& note) {
    std::printf("%-52s ours %9.3f ms  gmediarender %9.3f ms  ratio %6.2f%s%s\n", figure.c_str(),
                ours, peer, peer > 0 ? ours / peer : 0.0, note.empty() ? "" : "  ", note.c_str());
    std::fflush(stdout);
}

std::string Versus(double with, double without) {
    char text[64];
    std::snprintf(text, sizeof text, "(%+.1f%% against 0 subscribers)",
                  100.0 * (with - without) / without);
    return text;
}

// gmediarender on its own port; empty when it does not answer.
std::unique_ptr<ChildProcess> StartPeer(Renderer& peer) {
    auto process = std::make_unique<ChildProcess>(
        "/usr/bin/gmediarender",
        std::vector<std::string>{"-I", "lab0", "-p", "49400", "-f", "bench peer",
                                 "--gstout-audiosink", "fakesink", "--gstout-videosink",
                                 "fakesink"});
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline && process->Running()) {
        if (Describe(peer, "http://198.51.100.1:49400/description.xml") && PositionRequest(peer))
            return process;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::string why;
    if (!InNetworkLab(&why)) {
        std::fprintf(stderr, "not inside the network lab (%s): run under tools/netlab\n",
                     why.c_str());
        return 2;
    }
    std::string stage = DEFAULT_STAGE;
    int listeners = 2, changes = 50;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--listeners" && i + 1 < argc)
            listeners = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--changes" && i + 1 < argc)
            changes = std::max(1, std::atoi(argv[++i]));
        else
            stage = argument;
    }
    NotifySink sink(listeners);
    if (!sink.Ok()) {
        std::fprintf(stderr, "cannot listen on %s\n", kListenIp);
        return 1;
    }

    ChildProcess process(stage + "/bin/dlna-renderer",
                         {"--null", "--ip", "198.51.100.1", "--name", "bench renderer"});
    auto served = process.WaitForOutput(R"(serving (http://\S+))", 30);
    Renderer ours{"dlna-renderer", 0};
    if (served.empty() || !Describe(ours, served[1])) {
        std::fprintf(stderr, "renderer did not start:\n%s\n", process.Output().c_str());
        return 1;
    }
    Renderer peer{"gmediarender", 1};
    auto peer_process = StartPeer(peer);
    if (!peer_process) {
        std::fprintf(stderr, "gmediarender did not start; no peer figures\n");
        return 1;
    }
    std::vector<Renderer*> both{&ours, &peer};
    std::printf("RenderingControl events: ours %s%s, gmediarender %s%s; %d subscribers each on "
                "%s:%d\n",
                ours.host.c_str(), ours.rendering.event.c_str(), peer.host.c_str(),
                peer.rendering.event.c_str(), kSubscribers, kListenIp, sink.Port());

    // Each round asks both renderers without subscribers, with 32 idle
    // ones, and with 32 for 2 x kSpacing while the renderer asked fans a
    // change out every kSpacing. Renderers and cases alternate, so that
    // whatever else the machine does falls on all of them alike.
    std::vector<Latencies> idle(2), subscribed(2), changing(2);
    for (auto* renderer : both)
        for (int i = 0; i < 200; ++i) PositionRequest(*renderer);
    for (int round = 0; round < kRounds; ++round) {
        for (size_t r = 0; r < both.size(); ++r) PositionRound(*both[r], kPerRound, idle[r]);
        for (auto* renderer : both)
            if (!Subscribe(*renderer, sink)) return 1;
        for (size_t r = 0; r < both.size(); ++r) PositionRound(*both[r], kPerRound, subscribed[r]);
        for (size_t r = 0; r < both.size(); ++r) {
            VolumeChanger changer(*both[r]);
            PositionFor(*both[r], 2 * kSpacing, changing[r]);
        }
        for (auto* renderer : both)
            if (!Unsubscribe(*renderer)) {
                std::fprintf(stderr, "%s: UNSUBSCRIBE refused\n", renderer->name.c_str());
                return 1;
            }
    }

    for (auto* renderer : both)
        if (!Subscribe(*renderer, sink)) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::vector<Fanout> fanout;
    FanoutSideBySide(both, sink, changes, fanout);

    const auto failures = [](const std::vector<Latencies>& l, size_t r) { return l[r].failed; };
    std::printf("\nGetPositionInfo, sequential, %d rounds of %d per renderer and case (with "
                "SetVolume: of %d ms, %zu and %zu requests in all); failed ours %d/%d/%d, "
                "gmediarender %d/%d/%d\n",
                kRounds, kPerRound, static_cast<int>(2 * kSpacing.count()),
                changing[0].values.size(), changing[1].values.size(), failures(idle, 0), failures(subscribed, 0),
                failures(changing, 0), failures(idle, 1), failures(subscribed, 1),
                failures(changing, 1));
    Line("GetPositionInfo p50, 0 subscribers", idle[0].P(0.5), idle[1].P(0.5), "");
    Line("GetPositionInfo p99, 0 subscribers", idle[0].P(0.99), idle[1].P(0.99), "");
    Line("GetPositionInfo p50, 32 subscribers", subscribed[0].P(0.5), subscribed[1].P(0.5),
         Versus(subscribed[0].P(0.5), idle[0].P(0.5)) + " target within 10%");
    Line("GetPositionInfo p99, 32 subscribers", subscribed[0].P(0.99), subscribed[1].P(0.99),
         Versus(subscribed[0].P(0.99), idle[0].P(0.99)) + " target within 10%");
    Line("GetPositionInfo p50, 32 subscribers, SetVolume/300ms", changing[0].P(0.5),
         changing[1].P(0.5), Versus(changing[0].P(0.5), idle[0].P(0.5)));
    Line("GetPositionInfo p99, 32 subscribers, SetVolume/300ms", changing[0].P(0.99),
         changing[1].P(0.99), Versus(changing[0].P(0.99), idle[0].P(0.99)));

    std::printf("\nFan-out: %d SetVolume changes per renderer, %d to %d ms apart, %d subscribers; "
                "missing deliveries ours %d, gmediarender %d; failed SetVolume ours %d, "
                "gmediarender %d\n",
                changes, static_cast<int>(2 * kSpacing.count()),
                static_cast<int>(2 * kSpacing.count() + 200), kSubscribers, fanout[0].missing,
                fanout[1].missing, fanout[0].failed, fanout[1].failed);
    auto p = [](const std::vector<double>& v, double q) { return v.empty() ? 0 : Percentile(v, q); };
    Line("SetVolume answer p50", p(fanout[0].answer, 0.5), p(fanout[1].answer, 0.5), "");
    Line("first NOTIFY of 32 p50, from the send", p(fanout[0].first_from_send, 0.5),
         p(fanout[1].first_from_send, 0.5), "");
    Line("NOTIFY at one subscriber p50, from the send", p(fanout[0].notify_from_send, 0.5),
         p(fanout[1].notify_from_send, 0.5), "");
    Line("NOTIFY at one subscriber p99, from the send", p(fanout[0].notify_from_send, 0.99),
         p(fanout[1].notify_from_send, 0.99), "");
    Line("NOTIFY at all 32 p50, from the send", p(fanout[0].all_from_send, 0.5),
         p(fanout[1].all_from_send, 0.5), "");
    Line("NOTIFY at all 32 p99, from the send", p(fanout[0].all_from_send, 0.99),
         p(fanout[1].all_from_send, 0.99), "target ours < 50 ms");
    Line("NOTIFY at all 32 p50, from the answer", p(fanout[0].all_from_answer, 0.5),
         p(fanout[1].all_from_answer, 0.5), "");
    Line("NOTIFY at all 32 p99, from the answer", p(fanout[0].all_from_answer, 0.99),
         p(fanout[1].all_from_answer, 0.99), "");
    Line("first to last NOTIFY of 32 p50", p(fanout[0].spread, 0.5), p(fanout[1].spread, 0.5),
         "");
    Line("first to last NOTIFY of 32 p99", p(fanout[0].spread, 0.99), p(fanout[1].spread, 0.99),
         "");
    std::printf("subscribers: %d listener threads, %ld NOTIFYs answered, %.1f us of their CPU "
                "each\n",
                listeners, sink.Handled(), sink.CpuMicrosecondsEach());
    for (size_t r = 0; r < both.size(); ++r)
        std::printf("%s: %d of %zu changes took over 50 ms to reach all 32; the slowest: first "
                    "NOTIFY %.3f ms, all 32 %.3f ms from the send\n",
                    both[r]->name.c_str(), fanout[r].over_50ms, fanout[r].all_from_send.size(),
                    fanout[r].slowest_first, fanout[r].slowest_all);
    for (size_t r = 0; r < both.size(); ++r)
        std::printf("%s NOTIFY body: %s\n", both[r]->name.c_str(),
                    fanout[r].sample.empty() ? "(none carried the volume)"
                                             : fanout[r].sample.c_str());

    peer_process->Stop(SIGTERM);
    process.Stop(SIGTERM);
    return 0;
}
