// GetPositionInfo round trips through the real SOAP path against the staged
// `dlna-renderer --null`: SOAP client -> libupnp -> AVTransport -> bridge ->
// host callback -> stored state -> answer; then the same against
// gmediarender, a renderer on the same libupnp, as the peer's figure.
// Run inside the lab:
//   tools/netlab build/bench/bench_position_roundtrip [staged install prefix]
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "HttpClient.h"
#include "LabGuard.h"
#include "Percentile.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::string kAVTransport = "urn:schemas-upnp-org:service:AVTransport:1";

struct Target {
    std::string name;
    std::string host;
    int port;
    std::string control_path;
};

bool PositionRequest(const Target& target) {
    WireResponse response = SoapCall(target.host, target.port, target.control_path, kAVTransport,
                                     "GetPositionInfo", {{"InstanceID", "0"}});
    return response.status == 200 && !XmlElementText(response.body, "RelTime").empty();
}

void Concurrent(const Target& target, int clients, int per_client) {
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&] {
            for (int i = 0; i < per_client; ++i)
                if (!PositionRequest(target)) ++failed;
        });
    for (auto& thread : threads) thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const int total = clients * per_client;
    std::printf("%s getpositioninfo clients=%d requests=%d failed=%d requests_per_second=%.0f\n",
                target.name.c_str(), clients, total, failed.load(), total / seconds);
}

void Measure(const Target& target) {
    for (int i = 0; i < 200; ++i) PositionRequest(target);
    const int sequential = 2000;
    std::vector<double> latencies;
    int failed = 0;
    for (int i = 0; i < sequential; ++i) {
        const auto start = Clock::now();
        if (!PositionRequest(target)) ++failed;
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("%s getpositioninfo sequential requests=%d failed=%d p50_ms=%.3f p99_ms=%.3f\n",
                target.name.c_str(), sequential, failed, Percentile(latencies, 0.50),
                Percentile(latencies, 0.99));
    Concurrent(target, 1, 2000);
    Concurrent(target, 8, 250);
    Concurrent(target, 32, 64);
}

// gmediarender on its own port; empty when it does not answer.
std::unique_ptr<ChildProcess> StartPeer(Target& target) {
    auto peer = std::make_unique<ChildProcess>(
        "/usr/bin/gmediarender",
        std::vector<std::string>{"-I", "lab0", "-p", std::to_string(target.port), "-f",
                                 "bench peer", "--gstout-audiosink", "fakesink",
                                 "--gstout-videosink", "fakesink"});
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline && peer->Running()) {
        if (PositionRequest(target)) return peer;
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
    const std::string stage = argc > 1 ? argv[1] : DEFAULT_STAGE;
    ChildProcess renderer(stage + "/bin/dlna-renderer",
                         {"--null", "--ip", "198.51.100.1", "--name", "bench renderer"});
    auto served = renderer.WaitForOutput(R"(serving http://([0-9.]+):(\d+)/)", 30);
    if (served.empty()) {
        std::fprintf(stderr, "renderer did not start:\n%s\n", renderer.Output().c_str());
        return 1;
    }
    Measure({"dlna-renderer", served[1], std::stoi(served[2]), "/AVTransport/control"});
    renderer.Stop(SIGTERM);

    Target peer{"gmediarender", "198.51.100.1", 49400, "/upnp/control/rendertransport1"};
    auto running = StartPeer(peer);
    if (!running) {
        std::printf("gmediarender did not start; no peer figure\n");
        return 0;
    }
    Measure(peer);
    return 0;
}
