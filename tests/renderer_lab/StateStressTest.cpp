// The renderer's stored state under a host thread that replaces it in a
// loop, a callback that replaces it inside the query, and control points
// querying over the network at the same time: every answer is one whole
// stored group, never a torn or freed one. scripts/test runs it under
// AddressSanitizer too; under ThreadSanitizer (a build with
// -fsanitize=thread) run it with TSAN_OPTIONS set to
// suppressions=tests/renderer_lab/tsan.supp, under tools/netlab.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "DLNA.h"
#include "HttpClient.h"
#include "LabGuard.h"

namespace {

constexpr char kAVTransport[] = "urn:schemas-upnp-org:service:AVTransport:1";

// A position whose every string names the same generation; lengths vary so
// that replacing one reallocates.
void StorePosition(long generation) {
    std::string tag = std::to_string(generation);
    std::string uri = "http://198.51.100.1/" + tag + "/" + std::string(generation % 97, 'x');
    std::string duration = tag + ":00:00", metadata = "<m>" + tag + "</m>";
    DLNA_POSITION_INFO info{1,
                            duration.data(),
                            metadata.data(),
                            uri.data(),
                            tag.data(),
                            tag.data(),
                            static_cast<int32_t>(generation),
                            0};
    DLNA_DMR_SetPositionInfo(0, &info);
}

std::atomic<long> generation{0};

int Callback(DLNA_EVENT event, void*, void*) {
    if (event == DLNA_DMR_GET_POSITION_INFO_EVENT) StorePosition(++generation);
    return 0;
}

TEST(RendererState, SettersRacingNetworkQueriesNeverTearAnAnswer) {
    HALVORN_REQUIRE_LAB();
    ASSERT_EQ(DLNA_Initialize("198.51.100.1", 0), DLNA_OK);
    // A private copy: the library may rewrite the description it serves.
    char directory[] = "/tmp/halvorn-renderer-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    std::filesystem::copy(HALVORN_SOURCE_DIR "/data/dlna/web", directory);
    ASSERT_EQ(DLNA_CreateDevice((std::string(directory) + "/DMR.xml").c_str()), DLNA_OK);
    DLNA_SetCallback(Callback, nullptr);
    const std::string host = DLNA_GetIP();
    const int port = DLNA_GetListenPort();

    std::atomic<bool> stop{false};
    std::thread setter([&] {
        while (!stop) StorePosition(++generation);
    });

    constexpr int kClients = 4, kRequests = 150;
    std::atomic<int> failed{0}, torn{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&] {
            for (int i = 0; i < kRequests; ++i) {
                WireResponse response = SoapCall(host, port, "/AVTransport/control", kAVTransport,
                                                 "GetPositionInfo", {{"InstanceID", "0"}});
                if (response.status != 200) {
                    ++failed;
                    continue;
                }
                const std::string tag = XmlElementText(response.body, "RelTime");
                const std::string uri = XmlElementText(response.body, "TrackURI");
                const long number = std::stol(tag.empty() ? "-1" : tag);
                if (number < 0 ||
                    uri != "http://198.51.100.1/" + tag + "/" + std::string(number % 97, 'x') ||
                    XmlElementText(response.body, "AbsTime") != tag ||
                    XmlElementText(response.body, "RelCount") != tag)
                    ++torn;
            }
        });
    }
    for (auto& client : clients) client.join();
    stop = true;
    setter.join();
    DLNA_Finalize();
    std::filesystem::remove_all(directory);

    EXPECT_EQ(failed, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_GT(generation, kClients * kRequests);
}

}  // namespace
