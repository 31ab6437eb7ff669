// KeyPress round trips through the real path: SOAP client -> receiver ->
// XTest -> Xvfb. Run inside the lab:
//   tools/netlab build/bench/bench_keypress_roundtrip [staged receiver dir]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "HttpClient.h"
#include "LabGuard.h"
#include "Percentile.h"
#include "ReceiverProcess.h"
#include "XvfbServer.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::string kKeyboard = "urn:tundric-com:service:TvKeyboardInput:1";

struct Target {
    std::string host;
    int port;
};

// One KeyPress or KeyRelease of KEY_A; true when the receiver answered 200.
bool KeyRequest(const Target& target, bool press) {
    return SoapCall(target.host, target.port, "/control/TvKeyboardInput", kKeyboard,
                    press ? "KeyPress" : "KeyRelease", {{"Key", "KEY_A"}})
               .status == 200;
}

void Concurrent(const Target& target, int clients, int per_client) {
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    auto start = Clock::now();
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            for (int i = 0; i < per_client; ++i)
                if (!KeyRequest(target, (i + c) % 2 == 0)) ++failed;
        });
    }
    for (auto& thread : threads) thread.join();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    int total = clients * per_client;
    std::printf("keypress clients=%d requests=%d failed=%d requests_per_second=%.0f\n", clients,
                total, failed.load(), total / seconds);
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
    XvfbServer xvfb;
    if (!xvfb.Running()) {
        std::fprintf(stderr, "Xvfb: %s\n", xvfb.Error().c_str());
        return 1;
    }
    ReceiverProcess receiver(stage, {}, {{"DISPLAY", xvfb.Display()}});
    if (!receiver.WaitUntilServing()) {
        std::fprintf(stderr, "receiver did not start:\n%s\n", receiver.Output().c_str());
        return 1;
    }
    Target target{receiver.Address(), receiver.Port()};
    for (int i = 0; i < 200; ++i) KeyRequest(target, i % 2 == 0);

    const int sequential = 2000;
    std::vector<double> latencies;
    int failed = 0;
    for (int i = 0; i < sequential; ++i) {
        auto start = Clock::now();
        if (!KeyRequest(target, i % 2 == 0)) ++failed;
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("keypress sequential requests=%d failed=%d p50_ms=%.3f p99_ms=%.3f\n", sequential,
                failed, Percentile(latencies, 0.50), Percentile(latencies, 0.99));
    Concurrent(target, 1, 2000);
    Concurrent(target, 8, 500);
    Concurrent(target, 32, 125);
    return 0;
}
