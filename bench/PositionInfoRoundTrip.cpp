// GetPositionInfo round trips through the real SOAP path against the staged
// `dlna-renderer --null`: SOAP client -> libupnp -> AVTransport -> bridge ->
// host callback -> stored state -> answer. Run inside the lab:
//   tools/netlab build/bench/bench_position_roundtrip [staged install prefix]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "HttpClient.h"
#include "LabGuard.h"
#include "PeerProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::string kAVTransport = "urn:schemas-upnp-org:service:AVTransport:1";

struct Target {
    std::string host;
    int port;
};

bool PositionRequest(const Target& target) {
    HttpResponse response = SoapCall(target.host, target.port, "/AVTransport/control", kAVTransport,
                                     "GetPositionInfo", {{"InstanceID", "0"}});
    return response.status == 200 && XmlElementText(response.body, "RelTime") == "00:00:00";
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1) + 0.5)];
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
    std::printf("getpositioninfo clients=%d requests=%d failed=%d requests_per_second=%.0f\n",
                clients, total, failed.load(), total / seconds);
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
    PeerProcess renderer(stage + "/bin/dlna-renderer",
                         {"--null", "--ip", "198.51.100.1", "--name", "bench renderer"});
    auto served = renderer.WaitForOutput(R"(serving http://([0-9.]+):(\d+)/)", 30);
    if (served.empty()) {
        std::fprintf(stderr, "renderer did not start:\n%s\n", renderer.Output().c_str());
        return 1;
    }
    const Target target{served[1], std::stoi(served[2])};
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
    std::printf("getpositioninfo sequential requests=%d failed=%d p50_ms=%.3f p99_ms=%.3f\n",
                sequential, failed, Percentile(latencies, 0.50), Percentile(latencies, 0.99));
    Concurrent(target, 1, 2000);
    Concurrent(target, 8, 250);
    Concurrent(target, 32, 64);
    return 0;
}
