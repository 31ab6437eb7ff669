// The staged dlna-renderer driven over the lab network by a control point
// nobody here wrote (GUPnP): the library's own defaults and faults with
// --null, and real playback through GStreamer of served WAV files (seeking
// with and without byte ranges) and of a photo.
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

    Reply protocols = peer->Call(kConnectionManager, "GetProtocolInfo");
    ASSERT_TRUE(protocols.ok) << protocols.text;
    EXPECT_EQ(protocols["Source"], "");
    EXPECT_EQ(protocols["Sink"], "");
    Reply connection =
        peer->Call(kConnectionManager, "GetCurrentConnectionInfo", {{"ConnectionID", "0"}});
    EXPECT_EQ(connection["ProtocolInfo"], ":::");
    EXPECT_EQ(connection["Direction"], "Input");
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

// An 8x8 black baseline JPEG: quantisation by ones and Huffman tables of one
// code each, enough for a DC difference of zero and an end of block.
void WriteBlackJpeg(const std::string& path) {
    std::string jpeg = "\xff\xd8";
    auto segment = [&](char marker, const std::string& body) {
        const size_t length = body.size() + 2;
        jpeg += {'\xff', marker, static_cast<char>(length >> 8), static_cast<char>(length)};
        jpeg += body;
    };
    const std::string one_code = '\x01' + std::string(16, '\0');
    segment('\xdb', '\0' + std::string(64, '\x01'));
    segment('\xc0', std::string("\x08\0\x08\0\x08\x01\x01\x11\0", 9));
    segment('\xc4', '\x00' + one_code);
    segment('\xc4', '\x10' + one_code);
    segment('\xda', std::string("\x01\x01\0\0\x3f\0", 6));
    jpeg += "\x3f\xff\xd9";
    std::ofstream(path, std::ios::binary) << jpeg;
}

class PlayingRenderer : public RendererLab {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        char directory[] = "/tmp/halvorn-media-XXXXXX";
        ASSERT_NE(mkdtemp(directory), nullptr);
        media_ = directory;
        WriteTone(media_ + "/tone.wav", 5);
        server_ = Serve(8089);
        ASSERT_FALSE(server_->WaitForOutput("serving", 10).empty()) << server_->Output();
        Start("lab playing renderer",
              {"--audio-sink", "fakesink sync=true", "--video-sink", "fakesink sync=true"});
    }
    void TearDown() override {
        server_.reset();
        std::filesystem::remove_all(media_);
    }

    std::unique_ptr<ChildProcess> Serve(int port, bool ranges = true) {
        std::vector<std::string> arguments{MEDIA_SERVER, kLabAddress, std::to_string(port), media_};
        if (!ranges) arguments.push_back("--no-ranges");
        return std::make_unique<ChildProcess>("/usr/bin/python3", arguments);
    }
    std::string Url(const std::string& file, int port = 8089) const {
        return std::string("http://") + kLabAddress + ":" + std::to_string(port) + "/" + file;
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
    EXPECT_EQ(RelTime(), 0);
}

// A server without byte ranges (python3 -m http.server) answers the seek's
// range with the whole file; the renderer reads it anew up to the target.
TEST_F(PlayingRenderer, SeeksWhilePlayingWithAndWithoutByteRanges) {
    ASSERT_TRUE(ready);
    WriteTone(media_ + "/long.wav", 10);
    auto plain = Serve(8088, false);
    ASSERT_FALSE(plain->WaitForOutput("serving", 10).empty()) << plain->Output();
    for (const std::string& url : {Url("long.wav"), Url("long.wav", 8088)}) {
        SCOPED_TRACE(url);
        ASSERT_TRUE(
            Command("SetAVTransportURI", {{"CurrentURI", url}, {"CurrentURIMetaData", ""}}));
        ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
        EXPECT_TRUE(Eventually([&] { return RelTime() >= 1; }));
        for (int target : {6, 2}) {
            ASSERT_TRUE(Command("Seek", {{"Unit", "REL_TIME"},
                                         {"Target", "00:00:0" + std::to_string(target)}}));
            EXPECT_EQ(Transport()["CurrentTransportState"], "PLAYING");
            std::this_thread::sleep_for(std::chrono::seconds(2));
            const int now = RelTime();
            EXPECT_GE(now, target + 1) << renderer->Process().Output();
            EXPECT_LE(now, target + 2);
            Reply transport = Transport();
            EXPECT_EQ(transport["CurrentTransportState"], "PLAYING");
            EXPECT_EQ(transport["CurrentTransportStatus"], "OK");
        }
    }
    EXPECT_THAT(renderer->Process().Output(), Not(HasSubstr("cannot play")));
}

// What a phone app checks before it casts a photo, and the photo: shown and
// PLAYING until Stop, where a picture alone would end at once.
TEST_F(PlayingRenderer, AnnouncesDlnaProfilesAndShowsAPhotoUntilStop) {
    ASSERT_TRUE(ready);
    const std::string sink = peer->Call(kConnectionManager, "GetProtocolInfo")["Sink"];
    for (const char* entry : {"http-get:*:audio/x-wav:*", "http-get:*:audio/mpeg:DLNA.ORG_PN=MP3",
                              "http-get:*:audio/L16;rate=44100;channels=2:DLNA.ORG_PN=LPCM",
                              "http-get:*:image/jpeg:DLNA.ORG_PN=JPEG_LRG",
                              "http-get:*:image/png:DLNA.ORG_PN=PNG_LRG"})
        EXPECT_THAT(sink, HasSubstr(entry));
    EXPECT_THAT(sink, Not(HasSubstr("x-raw")));

    WriteBlackJpeg(media_ + "/photo.jpg");
    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("photo.jpg")}, {"CurrentURIMetaData", ""}}));
    ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Reply shown = Transport();
    EXPECT_EQ(shown["CurrentTransportState"], "PLAYING") << renderer->Process().Output();
    EXPECT_EQ(shown["CurrentTransportStatus"], "OK");
    ASSERT_TRUE(Command("Stop"));
    EXPECT_EQ(Transport()["CurrentTransportState"], "STOPPED");
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

// Control points that follow the renderer through events alone: what each
// request and GStreamer change, in order, for every live subscriber; one
// that died and one that stopped reading hold nobody up.
TEST_F(PlayingRenderer, SubscribersFollowEveryChangeThroughLastChangeAlone) {
    ASSERT_TRUE(ready);
    const std::string name = "lab playing renderer";
    GupnpSubscriber first(name), second(name), dead(name), stalled(name);
    for (GupnpSubscriber* subscriber : {&first, &second, &dead, &stalled})
        ASSERT_TRUE(subscriber->WaitUntilSubscribed()) << subscriber->Process().Output();
    dead.Process().Stop(SIGKILL);
    kill(stalled.Process().Pid(), SIGSTOP);

    const auto both = [&](const std::string& service, const std::string& text) {
        for (GupnpSubscriber* subscriber : {&first, &second})
            EXPECT_NE(subscriber->WaitForEvent(service, text), "")
                << text << "\n" << subscriber->Process().Output() << renderer->Process().Output();
    };
    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("tone.wav")}, {"CurrentURIMetaData", ""}}));
    both("AVT", "<AVTransportURI val=\"" + Url("tone.wav") + "\"/>");
    ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
    both("AVT", "<TransportState val=\"PLAYING\"/>");
    ASSERT_TRUE(Command("Pause"));
    both("AVT", "<TransportState val=\"PAUSED_PLAYBACK\"/>");
    ASSERT_TRUE(Command("Seek", {{"Unit", "REL_TIME"}, {"Target", "0:00:03"}}));
    ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
    both("AVT", "<TransportState val=\"PLAYING\"/>");
    ASSERT_TRUE(peer->Call(kRenderingControl, "SetVolume",
                           {{"InstanceID", "0"}, {"Channel", "Master"}, {"DesiredVolume", "30"}})
                    .ok);
    both("RCS", "<Volume channel=\"Master\" val=\"30\"/>");
    // The tone ends two seconds after the seek target.
    both("AVT", "<TransportState val=\"STOPPED\"/>");

    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("missing.wav")}, {"CurrentURIMetaData", ""}}));
    // The new URI and the failure may come in one event.
    peer->Call(kAVTransport, "Play", {{"InstanceID", "0"}, {"Speed", "1"}});
    both("AVT", "<TransportStatus val=\"ERROR_OCCURRED\"/>");

    ASSERT_TRUE(Command("SetAVTransportURI",
                        {{"CurrentURI", Url("tone.wav")}, {"CurrentURIMetaData", ""}}));
    ASSERT_TRUE(Command("Play", {{"Speed", "1"}}));
    both("AVT", "<TransportState val=\"PLAYING\"/>");
    ASSERT_TRUE(Command("Stop"));
    both("AVT", "<TransportState val=\"STOPPED\"/>");
    kill(stalled.Process().Pid(), SIGCONT);
}
