// The staged dlna-renderer driven over the lab network by a control point
// nobody here wrote (GUPnP): the library's own defaults and faults with
// --null, and real playback of a served WAV file through GStreamer.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "RendererLab.h"

using testing::HasSubstr;
using testing::Not;

namespace {

class NullRenderer : public RendererLab {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        Start("lab null renderer", {"--null"});
    }
};

TEST_F(NullRenderer, AnswersAFreshInstanceWithTheLibraryDefaults) {
    ASSERT_TRUE(ready);
    Reply media = peer->Call(kAVTransport, "GetMediaInfo", {{"InstanceID", "0"}});
    ASSERT_TRUE(media.ok) << media.text;
    EXPECT_EQ(media["NrTracks"], "0");
    EXPECT_EQ(media["MediaDuration"], "00:00:00");
    EXPECT_EQ(media["CurrentURI"], "");
    EXPECT_EQ(media["PlayMedium"], "NOT_IMPLEMENTED");
    EXPECT_EQ(media["WriteStatus"], "NOT_IMPLEMENTED");

    Reply transport = peer->Call(kAVTransport, "GetTransportInfo", {{"InstanceID", "0"}});
    EXPECT_EQ(transport["CurrentTransportState"], "NO_MEDIA_PRESENT");
    EXPECT_EQ(transport["CurrentTransportStatus"], "ERROR_OCCURRED");
    EXPECT_EQ(transport["CurrentSpeed"], "0");

    Reply position = peer->Call(kAVTransport, "GetPositionInfo", {{"InstanceID", "0"}});
    EXPECT_EQ(position["Track"], "0");
    EXPECT_EQ(position["RelTime"], "00:00:00");
    EXPECT_EQ(position["AbsCount"], "0");

    Reply settings = peer->Call(kAVTransport, "GetTransportSettings", {{"InstanceID", "0"}});
    EXPECT_EQ(settings["PlayMode"], "NORMAL");
    EXPECT_EQ(settings["RecQualityMode"], "NOT_IMPLEMENTED");
}

TEST_F(NullRenderer, RefusesWithTheFaultsOfEachService) {
    ASSERT_TRUE(ready);
    struct Case {
        const char* service;
        const char* action;
        std::vector<std::pair<std::string, std::string>> arguments;
        int fault;
    } cases[] = {
        {kAVTransport, "Play", {{"InstanceID", "0"}, {"Speed", ""}}, 402},
        {kAVTransport, "Seek", {{"InstanceID", "0"}, {"Unit", "FRAME"}, {"Target", "1"}}, 402},
        {kAVTransport,
         "Seek",
         {{"InstanceID", "0"}, {"Unit", "REL_TIME"}, {"Target", "soon"}},
         402},
        {kAVTransport, "Stop", {{"InstanceID", "1"}}, 718},
        {kAVTransport, "GetPositionInfo", {{"InstanceID", "1"}}, 718},
        {kRenderingControl, "GetVolume", {{"InstanceID", "0"}, {"Channel", "master"}}, 402},
        {kRenderingControl, "GetVolume", {{"InstanceID", "1"}, {"Channel", "Master"}}, 702},
        {kRenderingControl, "SelectPreset", {{"InstanceID", "0"}, {"PresetName", "Vivid"}}, 402},
        {kConnectionManager, "GetCurrentConnectionInfo", {{"ConnectionID", "1"}}, 706},
    };
    for (const Case& c : cases) {
        Reply reply = peer->Call(c.service, c.action, c.arguments);
        EXPECT_FALSE(reply.ok) << c.action;
        EXPECT_EQ(reply.fault, c.fault) << c.action << ": " << reply.text;
    }
}

TEST_F(NullRenderer, ReportsWhatGStreamerCanPlayAsItsSink) {
    ASSERT_TRUE(ready);
    Reply protocols = peer->Call(kConnectionManager, "GetProtocolInfo");
    ASSERT_TRUE(protocols.ok) << protocols.text;
    EXPECT_EQ(protocols["Source"], "");
    EXPECT_THAT(protocols["Sink"], HasSubstr("http-get:*:audio/x-wav:*"));
    EXPECT_THAT(protocols["Sink"], Not(HasSubstr("x-raw")));
    Reply connection =
        peer->Call(kConnectionManager, "GetCurrentConnectionInfo", {{"ConnectionID", "0"}});
    EXPECT_EQ(connection["ProtocolInfo"], ":::");
    EXPECT_EQ(connection["Direction"], "Input");
}

TEST_F(NullRenderer, EndsCleanlyOnSigterm) {
    ASSERT_TRUE(ready);
    const int status = renderer->Process().Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << renderer->Process().Output();
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// What an operator sees when the renderer cannot start: one line naming
// the problem and the way out, and exit status 1.
TEST(RendererErrors, SayWhatIsWrongAndExitWithOne) {
    HALVORN_REQUIRE_LAB();
    const int taken = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(8090);
    inet_pton(AF_INET, kLabAddress, &where.sin_addr);
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(listen(taken, 1), 0);
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--desc", "/nonexistent/DMR.xml"}, "no renderer description at /nonexistent/DMR.xml"},
        {{"--port", "8090"}, "port 8090 is in use; choose another with --port"},
        {{"--audio-sink", "nosuchsink"}, "cannot make the audio sink \"nosuchsink\""},
        {{"--port", "http"}, "--port needs a number"},
    };
    for (const auto& [arguments, message] : cases) {
        StagedRenderer renderer("lab failing renderer", arguments);
        const int status = renderer.Process().Wait(30);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_THAT(renderer.Process().Output(), HasSubstr(message));
    }
    close(taken);

    // A port whose last connections still wait out TIME_WAIT (a renderer
    // restarted at once) is free to libupnp, and so to the renderer.
    const int on = 1;
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    where.sin_port = htons(8091);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    const int client = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    const int accepted = accept(listener, nullptr, nullptr);
    ASSERT_GE(accepted, 0);
    close(accepted);  // the server's side closes first and waits out TIME_WAIT
    close(listener);
    close(client);
    StagedRenderer restarted("lab restarted renderer", {"--port", "8091"});
    EXPECT_TRUE(restarted.WaitUntilServing()) << restarted.Process().Output();
    EXPECT_EQ(restarted.Port(), 8091);
}

// A few seconds of 440 Hz tone as 16-bit mono PCM WAV.
void WriteTone(const std::string& path, int seconds) {
    const uint32_t rate = 8000, samples = rate * seconds, bytes = samples * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (uint32_t i = 0; i < samples; ++i)
        u16(static_cast<uint16_t>(
            static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / rate))));
}

class PlayingRenderer : public RendererLab {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        char directory[] = "/tmp/halvorn-media-XXXXXX";
        ASSERT_NE(mkdtemp(directory), nullptr);
        media_ = directory;
        WriteTone(media_ + "/tone.wav", 5);
        server_ = std::make_unique<ChildProcess>(
            "/usr/bin/python3",
            std::vector<std::string>{MEDIA_SERVER, kLabAddress, "8089", media_});
        ASSERT_FALSE(server_->WaitForOutput("serving", 10).empty()) << server_->Output();
        Start("lab playing renderer",
              {"--audio-sink", "fakesink sync=true", "--video-sink", "fakesink sync=true"});
    }
    void TearDown() override {
        server_.reset();
        std::filesystem::remove_all(media_);
    }

    std::string Url(const std::string& file) const {
        return std::string("http://") + kLabAddress + ":8089/" + file;
    }
    Reply Transport() {
        return peer->Call(kAVTransport, "GetTransportInfo", {{"InstanceID", "0"}});
    }
    int RelTime() {
        return Seconds(
            peer->Call(kAVTransport, "GetPositionInfo", {{"InstanceID", "0"}})["RelTime"]);
    }
    // Polls (bounded) until `done` holds.
    static bool Eventually(const std::function<bool()>& done, int seconds = 10) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }
    bool Command(const char* action,
                 std::vector<std::pair<std::string, std::string>> arguments = {}) {
        arguments.insert(arguments.begin(), {"InstanceID", "0"});
        Reply reply = peer->Call(kAVTransport, action, arguments);
        EXPECT_TRUE(reply.ok) << action << ": " << reply.text << "\n"
                              << renderer->Process().Output();
        return reply.ok;
    }

    std::string media_;
    std::unique_ptr<ChildProcess> server_;
};

TEST_F(PlayingRenderer, PlaysPausesSeeksSetsTheVolumeAndStops) {
    ASSERT_TRUE(ready);
    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("tone.wav")}, {"CurrentURIMetaData", ""}}));
    EXPECT_TRUE(Eventually([&] { return Transport()["CurrentTransportState"] == "STOPPED"; }));
    EXPECT_EQ(peer->Call(kAVTransport, "GetMediaInfo", {{"InstanceID", "0"}})["CurrentURI"],
              Url("tone.wav"));

    ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
    Reply playing = Transport();
    EXPECT_EQ(playing["CurrentTransportState"], "PLAYING");
    EXPECT_EQ(playing["CurrentTransportStatus"], "OK");
    EXPECT_TRUE(Eventually([&] { return RelTime() >= 1; })) << renderer->Process().Output();
    const int earlier = RelTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_GT(RelTime(), earlier);
    Reply position = peer->Call(kAVTransport, "GetPositionInfo", {{"InstanceID", "0"}});
    EXPECT_EQ(position["TrackDuration"], "0:00:05");
    EXPECT_EQ(position["TrackURI"], Url("tone.wav"));

    ASSERT_TRUE(Command("Pause"));
    EXPECT_EQ(Transport()["CurrentTransportState"], "PAUSED_PLAYBACK");
    ASSERT_TRUE(Command("Seek", {{"Unit", "REL_TIME"}, {"Target", "00:00:02"}}));
    EXPECT_TRUE(Eventually([&] { return RelTime() == 2; })) << RelTime();

    Reply set = peer->Call(kRenderingControl, "SetVolume",
                           {{"InstanceID", "0"}, {"Channel", "Master"}, {"DesiredVolume", "30"}});
    EXPECT_TRUE(set.ok) << set.text;
    EXPECT_EQ(peer->Call(kRenderingControl, "GetVolume",
                         {{"InstanceID", "0"}, {"Channel", "Master"}})["CurrentVolume"],
              "30");

    ASSERT_TRUE(Command("Stop"));
    EXPECT_EQ(Transport()["CurrentTransportState"], "STOPPED");
    EXPECT_EQ(RelTime(), 0);
}

TEST_F(PlayingRenderer, StopsAtTheEndOfTheStream) {
    ASSERT_TRUE(ready);
    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("tone.wav")}, {"CurrentURIMetaData", ""}}));
    ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
    ASSERT_TRUE(Command("Seek", {{"Unit", "REL_TIME"}, {"Target", "00:00:04"}}));
    EXPECT_TRUE(Eventually([&] { return Transport()["CurrentTransportState"] == "STOPPED"; }, 8));
    EXPECT_EQ(Transport()["CurrentTransportStatus"], "OK");
}

TEST_F(PlayingRenderer, AMissingFileIsAnErrorAndTheRendererCarriesOn) {
    ASSERT_TRUE(ready);
    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("missing.wav")}, {"CurrentURIMetaData", ""}}));
    Command("Play", {{"Speed", "1"}});
    EXPECT_TRUE(Eventually([&] {
        return Transport()["CurrentTransportStatus"] == "ERROR_OCCURRED";
    })) << renderer->Process().Output();
    EXPECT_NE(Transport()["CurrentTransportState"], "PLAYING");
    EXPECT_TRUE(renderer->Process().Running());

    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("tone.wav")}, {"CurrentURIMetaData", ""}}));
    ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
    EXPECT_EQ(Transport()["CurrentTransportStatus"], "OK");
}

}  // namespace
