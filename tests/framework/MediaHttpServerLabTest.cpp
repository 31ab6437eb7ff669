// The media HTTP server on a lab address: what it answers, and that clients
// which stop reading or stop sending cost only their own connections and
// are closed once idle.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "HttpClient.h"
#include "LabGuard.h"
#include "MediaHttpServer.h"
#include "VirtualFileRegistry.h"

namespace fs = std::filesystem;

namespace {

const char kAddress[] = "198.51.100.1";

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, kAddress, &address.sin_addr);
    // A small window: the server's sends stall as soon as we stop reading.
    const int small = 4096;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void Send(int fd, const std::string& text) {
    ASSERT_EQ(send(fd, text.data(), text.size(), MSG_NOSIGNAL), static_cast<ssize_t>(text.size()));
}

// Whether the server has already closed `fd`: what it had sent before
// (what the socket buffers held) ends in end-of-file or a reset before the
// rest of the file.
bool Closed(int fd, size_t file_size) {
    char buffer[65536];
    size_t read = 0;
    while (read < file_size) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 2000) <= 0) return false;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return true;
        read += static_cast<size_t>(n);
    }
    return false;
}

class MediaHttpServerLab : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        char pattern[] = "/tmp/media-http-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        content.resize(32 << 20);
        for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 4099);
        std::ofstream(folder / "film.mp4", std::ios::binary) << content;
        auto& registry = VirtualFileRegistry::Instance();
        registry.AddServedFile((folder / "film.mp4").string(), "/share/7.mp4", "video/mp4");
        registry.AddMemoryFile("", "/share/cover/7.jpg", "image/jpeg", 0, "JPEGDATA", 8);
        registry.AddServedFile((folder / "gone.mp3").string(), "/share/8.mp3", "audio/mpeg");
        registry.SetAccessGuard("/share/secret", [](const std::string&, const std::string&) {
            return false;
        });
        registry.AddMemoryFile("", "/share/secret/1.jpg", "image/jpeg", 0, "x", 1);
        registry.SetResponseHeaders("/share/", [](const std::string&, const std::string& type,
                                                  const VirtualFileRegistry::Headers&) {
            return VirtualFileRegistry::Headers{{"transferMode.dlna.org", type}};
        });
        MediaHttpServer::Settings settings;
        settings.address = kAddress;
        settings.idle_seconds = 2;
        std::string error;
        ASSERT_TRUE(server.Start(settings, &error)) << error;
        port = server.Port();
    }
    void TearDown() override {
        server.Stop();
        VirtualFileRegistry::Destroy();
        fs::remove_all(folder);
    }

    fs::path folder;
    std::string content;
    MediaHttpServer server;
    int port = 0;
};

}  // namespace

TEST_F(MediaHttpServerLab, ServesFilesRangesAndHeadAndRefusesTheRest) {
    const WireResponse whole = HttpRequest(kAddress, port, "GET", "/share/7.mp4");
    EXPECT_EQ(whole.status, 200);
    EXPECT_TRUE(whole.body == content);
    EXPECT_EQ(whole.Header("content-type"), "video/mp4");
    EXPECT_EQ(whole.Header("accept-ranges"), "bytes");
    EXPECT_EQ(whole.Header("transfermode.dlna.org"), "video/mp4");

    const struct {
        const char* range;
        int status;
        size_t first, length;
        const char* content_range;
    } ranges[] = {
        {"bytes=1000-1999", 206, 1000, 1000, "bytes 1000-1999/33554432"},
        {"bytes=33554000-", 206, 33554000, 432, "bytes 33554000-33554431/33554432"},
        {"bytes=-100", 206, 33554332, 100, "bytes 33554332-33554431/33554432"},
        {"bytes=33000000-99999999", 206, 33000000, 554432, "bytes 33000000-33554431/33554432"},
        {"bytes=0-0,5-9", 200, 0, 33554432, ""},
        {"items=1-2", 200, 0, 33554432, ""},
        {"bytes=40000000-", 416, 0, 0, "bytes */33554432"},
    };
    for (const auto& r : ranges) {
        const WireResponse part = HttpRequest(kAddress, port, "GET", "/share/7.mp4", {{"Range", r.range}});
        EXPECT_EQ(part.status, r.status) << r.range;
        EXPECT_EQ(part.Header("content-range"), r.content_range) << r.range;
        if (r.status != 416) {
            EXPECT_TRUE(part.body == content.substr(r.first, r.length)) << r.range;
        }
    }

    const WireResponse head = HttpRequest(kAddress, port, "HEAD", "/share/7.mp4");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("content-length"), "33554432");
    EXPECT_TRUE(head.body.empty());

    EXPECT_EQ(HttpRequest(kAddress, port, "GET", "/share/cover/7.jpg").body, "JPEGDATA");
    EXPECT_EQ(HttpRequest(kAddress, port, "GET", "/share/8.mp3").status, 404);  // file gone
    EXPECT_EQ(HttpRequest(kAddress, port, "GET", "/share/9.mp3").status, 404);
    EXPECT_EQ(HttpRequest(kAddress, port, "GET", "/share/../share/7.mp4").status, 404);
    EXPECT_EQ(HttpRequest(kAddress, port, "GET", "/share/secret/1.jpg").status, 403);
    EXPECT_EQ(HttpRequest(kAddress, port, "PUT", "/share/7.mp4", {}, "x").status, 405);
    const WireResponse foreign = RawHttpExchange(
        kAddress, port, "GET /share/7.mp4 HTTP/1.1\r\nHost: attacker.example\r\n\r\n", 5);
    EXPECT_EQ(foreign.status, 403);
}

// What a paused TV and a client that never finishes its request do: they
// hold their own connections, everyone else is served, and both are closed
// once idle.
TEST_F(MediaHttpServerLab, StalledClientsCostOnlyTheirOwnConnections) {
    std::vector<int> stalled;
    for (int i = 0; i < 32; ++i) {
        const int fd = Connect(port);
        ASSERT_GE(fd, 0);
        Send(fd, "GET /share/7.mp4 HTTP/1.1\r\nHost: " + std::string(kAddress) + "\r\n\r\n");
        stalled.push_back(fd);
    }
    for (int i = 0; i < 16; ++i) {
        const int fd = Connect(port);
        ASSERT_GE(fd, 0);
        Send(fd, "GET /share/7.mp4 HTTP/1.1\r\nHo");
        stalled.push_back(fd);
    }
    const WireResponse served = HttpRequest(kAddress, port, "GET", "/share/cover/7.jpg");
    EXPECT_EQ(served.body, "JPEGDATA");
    // Idle for 2 s: every one of them is closed while it stalls.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    for (const int fd : stalled) {
        EXPECT_TRUE(Closed(fd, content.size()));
        close(fd);
    }
    EXPECT_EQ(HttpRequest(kAddress, port, "GET", "/share/7.mp4", {{"Range", "bytes=0-3"}}).status,
              206);
}
