// The controller functions against real peers inside the network lab:
// gmediarender and minidlna from Debian, and the staged dlna-server,
// dlna-renderer and dlna-control of this build. The library runs in this
// process on lab0; every peer runs on lab1 with a port of its own: Debian
// 12's gmediarender links libupnp 1.8.4, which binds without SO_REUSEADDR.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

#include "DLNA.h"
#include "LabGuard.h"
#include "PeerProcess.h"
#include "SilentWav.h"
#include "UpnpUtility.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::HasSubstr;

namespace {

const std::string kLab0 = "198.51.100.1";
const std::string kLab1 = "198.51.100.2";
const std::string kStage = CONTROLLER_STAGE;

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// "H:MM:SS" in seconds; -1 for anything else.
int Seconds(const std::string& time) {
    std::smatch match;
    if (!std::regex_match(time, match, std::regex(R"((\d+):(\d\d):(\d\d)(\.\d+)?)"))) return -1;
    return std::stoi(match[1]) * 3600 + std::stoi(match[2]) * 60 + std::stoi(match[3]);
}

std::string Text(const char* text) {
    return text ? text : "";
}

struct Seen {
    int event;
    DLNA_DEVICE_HANDLE handle;
    std::string udn;
    std::string name;
};

// What the library tells its host, and waits on it.
class Events {
public:
    static int Record(DLNA_EVENT event, void* data, void* user_data) {
        auto* self = static_cast<Events*>(user_data);
        DLNA_DEVICE_INFO info{};
        // Valid inside the callback, disappeared events included.
        const int result = DLNA_DMSC_GetDeviceInfo(data, &info);
        std::lock_guard<std::mutex> guard(self->mutex_);
        self->seen_.push_back({event, data, result == 0 ? Text(info.udn) : "?",
                               result == 0 ? Text(info.friendly_name) : "?"});
        DLNA_FreeDeviceInfo(&info);
        self->changed_.notify_all();
        return 0;
    }

    // The handle of the first `event` for a device with that UDN or name.
    DLNA_DEVICE_HANDLE WaitFor(int event, const std::string& id, std::chrono::seconds timeout) {
        std::unique_lock<std::mutex> guard(mutex_);
        DLNA_DEVICE_HANDLE found = nullptr;
        changed_.wait_for(guard, timeout, [&] {
            for (const Seen& seen : seen_)
                if (seen.event == event && (seen.udn == id || seen.name == id)) found = seen.handle;
            return found != nullptr;
        });
        return found;
    }
    std::vector<Seen> All() {
        std::lock_guard<std::mutex> guard(mutex_);
        return seen_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Seen> seen_;
};

class ControllerLab : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        char pattern[] = "/tmp/halvorn-controller-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch = pattern;
    }
    void TearDown() override {
        if (started) DLNA_Finalize();
        peers.clear();
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    // The library on lab0, finding renderers and servers.
    void StartLibrary(int port, const ControlPointTimings* timings = nullptr) {
        ASSERT_EQ(DLNA_Initialize(kLab0.c_str(), static_cast<uint16_t>(port)), 0);
        started = true;
        if (timings) UpnpUtility::Instance().SetTimings(*timings);
        DLNA_SetCallback(&Events::Record, &events);
        DLNA_StartControlPoint(3);
    }

    PeerProcess& Start(PeerCommand command) {
        peers.push_back(std::make_unique<PeerProcess>(std::move(command)));
        return *peers.back();
    }
    PeerProcess& StartServer(const std::string& name, int port, const fs::path& folder,
                             std::vector<std::string> more = {}) {
        std::vector<std::string> arguments{"--ip",   kLab1, "--port", std::to_string(port),
                                           "--name", name};
        arguments.insert(arguments.end(), more.begin(), more.end());
        arguments.push_back(folder.string());
        PeerProcess& server = Start({kStage + "/bin/dlna-server", arguments});
        EXPECT_TRUE(server.WaitForOutput("dlna-server: shared ")) << server.Output();
        return server;
    }
    PeerProcess& StartRenderer(const std::string& name, int port) {
        PeerProcess& renderer =
            Start({kStage + "/bin/dlna-renderer",
                   {"--ip", kLab1, "--port", std::to_string(port), "--name", name, "--audio-sink",
                    "fakesink sync=true", "--video-sink", "fakesink sync=true"}});
        EXPECT_TRUE(renderer.WaitForOutput("serving ", 30)) << renderer.Output();
        return renderer;
    }
    // gmediarender's sinks take an element name alone; appsink, unlike
    // fakesink, plays in real time.
    PeerProcess& StartGmediarender(const std::string& uuid, int port) {
        PeerProcess& peer = Start({"gmediarender",
                                   {"-f", "Lab gmediarender", "-u", uuid, "-I", "lab1", "-p",
                                    std::to_string(port), "--gstout-audiosink", "appsink",
                                    "--gstout-videosink", "appsink", "--logfile", "stdout"}});
        EXPECT_TRUE(peer.WaitForPort(kLab1, port)) << peer.Output();
        return peer;
    }
    PeerProcess& StartMinidlna(const std::string& uuid, int port, const fs::path& media) {
        const fs::path root = scratch / "minidlna";
        for (const char* folder : {"db", "log"}) fs::create_directories(root / folder);
        std::ofstream(root / "minidlna.conf")
            << "port=" << port << "\nnetwork_interface=lab1\nfriendly_name=Lab minidlna\n"
            << "uuid=" << uuid << "\nmedia_dir=" << media.string()
            << "\ndb_dir=" << (root / "db").string() << "\nlog_dir=" << (root / "log").string()
            << "\ninotify=no\n";
        PeerProcess& peer = Start({"minidlnad",
                                   {"-d", "-f", (root / "minidlna.conf").string(), "-P",
                                    (root / "minidlna.pid").string()}});
        EXPECT_TRUE(peer.WaitForPort(kLab1, port)) << peer.Output();
        return peer;
    }

    Events events;
    bool started = false;
    fs::path scratch;
    std::vector<std::unique_ptr<PeerProcess>> peers;
};

// Every answer to an M-SEARCH for ssdp:all sent from lab1, within `wait`.
std::string SearchAnswers(std::chrono::milliseconds wait = 2500ms) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return {};
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, kLab1.c_str(), &local.sin_addr);
    in_addr interface = local.sin_addr;
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &interface, sizeof interface);
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(1900);
    inet_pton(AF_INET, "239.255.255.250", &group.sin_addr);
    const std::string search =
        "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nMAN: \"ssdp:discover\"\r\n"
        "MX: 1\r\nST: ssdp:all\r\n\r\n";
    std::string answers;
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        sendto(fd, search.data(), search.size(), 0, reinterpret_cast<sockaddr*>(&group),
               sizeof group) > 0) {
        const auto end = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < end) {
            pollfd ready{fd, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (poll(&ready, 1, static_cast<int>(std::max(left.count(), 1L))) <= 0) continue;
            char buffer[2048];
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got > 0) answers.append(buffer, static_cast<size_t>(got));
        }
    }
    close(fd);
    return answers;
}

// Owns a Browse answer.
struct Browsed {
    ~Browsed() { DLNA_DMSC_FreeContentElement(elements, count); }
    int result = -100;
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;

    const DLNA_CONTENT_ELEMENT* Titled(const std::string& title) const {
        for (int32_t i = 0; i < count; ++i) {
            const auto& e = elements[i];
            const char* t =
                e.type == DLNA_CONTENT_ITEM ? e.element.item.title : e.element.container.title;
            if (Text(t) == title) return &e;
        }
        return nullptr;
    }
};

std::unique_ptr<Browsed> Browse(DLNA_DEVICE_HANDLE server, const std::string& id, int mode = 1) {
    auto out = std::make_unique<Browsed>();
    out->result =
        DLNA_DMSC_Browse(server, id.c_str(), mode, "*", 0, 0, "", &out->elements, &out->count);
    return out;
}

// The disappeared event is raised while the handle is still valid; it is
// refused once the callback has returned, which the host thread that heard
// of it cannot see. Waits (bounded) until the handle has left the list.
bool WaitUntilUnlisted(DLNA_DEVICE_HANDLE handle) {
    for (int i = 0; i < 100; ++i) {
        DLNA_DEVICE_HANDLE list[16];
        uint32_t count = 16;
        if (DLNA_DMSC_GetDMSControllerList(list, &count) == 0 &&
            std::find(list, list + count, handle) == list + count)
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

std::string TransportState(DLNA_DEVICE_HANDLE renderer) {
    DLNA_TRANSPORT_INFO info{};
    if (DLNA_DMRC_GetTransportInfo(renderer, 0, &info) != 0) return "failed";
    static const char* const kStates[] = {"NO_MEDIA_PRESENT", "STOPPED", "PLAYING",
                                          "PAUSED_PLAYBACK", "TRANSITIONING"};
    DLNA_DMRC_FreeTransportInfo(&info);
    return kStates[info.current_transport_state];
}

bool WaitForState(DLNA_DEVICE_HANDLE renderer, const std::string& state) {
    for (int i = 0; i < 50; ++i) {
        if (TransportState(renderer) == state) return true;
        std::this_thread::sleep_for(200ms);
    }
    return false;
}

int Position(DLNA_DEVICE_HANDLE renderer) {
    DLNA_POSITION_INFO info{};
    if (DLNA_DMRC_GetPositionInfo(renderer, 0, &info) != 0) return -1;
    const int seconds = Seconds(Text(info.rel_time));
    DLNA_DMRC_FreePositionInfo(&info);
    return seconds;
}

}  // namespace

TEST_F(ControllerLab, DrivesGmediarenderWithAFileFromOurServer) {
    WriteFile(scratch / "media" / "tone.wav", SilentWav(20));
    StartServer("Lab media", 50111, scratch / "media");
    const std::string uuid = "c0000000-0000-4000-8000-00000000b001";
    StartGmediarender(uuid, 50112);
    StartLibrary(50110);
    DLNA_DEVICE_HANDLE server = events.WaitFor(DLNA_DMS_DISCOVERED_EVENT, "Lab media", 20s);
    DLNA_DEVICE_HANDLE renderer = events.WaitFor(DLNA_DMR_DISCOVERED_EVENT, "uuid:" + uuid, 20s);
    ASSERT_TRUE(server && renderer);

    // Music ("2") lists the file with its URL.
    auto music = Browse(server, "2");
    ASSERT_EQ(music->result, 0);
    const DLNA_CONTENT_ELEMENT* tone = music->Titled("tone.wav");
    ASSERT_NE(tone, nullptr);
    ASSERT_EQ(tone->element.item.res_count, 1);
    const std::string url = tone->element.item.res[0].uri;

    ASSERT_EQ(DLNA_DMRC_SetAVTransportURI(renderer, 0, url.c_str(), nullptr), 0);
    ASSERT_EQ(DLNA_DMRC_Play(renderer, 0, "1"), 0);
    ASSERT_TRUE(WaitForState(renderer, "PLAYING"));
    const int before = Position(renderer);
    std::this_thread::sleep_for(2500ms);
    EXPECT_GT(Position(renderer), before);

    DLNA_MEDIA_INFO media{};
    ASSERT_EQ(DLNA_DMRC_GetMediaInfo(renderer, 0, &media), 0);
    EXPECT_EQ(Text(media.current_uri), url);
    DLNA_DMRC_FreeMediaInfo(&media);

    ASSERT_EQ(DLNA_DMRC_Pause(renderer, 0), 0);
    EXPECT_TRUE(WaitForState(renderer, "PAUSED_PLAYBACK"));
    ASSERT_EQ(DLNA_DMRC_Seek(renderer, 0, DLNA_REL_TIME, "0:00:10"), 0);
    // gmediarender answers the Seek before its pipeline has settled, and
    // under load once left a Stop sent right behind it unanswered.
    EXPECT_TRUE(WaitForState(renderer, "PAUSED_PLAYBACK"));
    ASSERT_EQ(DLNA_DMRC_Stop(renderer, 0), 0);
    EXPECT_TRUE(WaitForState(renderer, "STOPPED"));

    DLNA_VOLUME volume{0, 0};
    ASSERT_EQ(DLNA_DMRC_GetVolume(renderer, 0, &volume), 0);
    volume.volume = 37;
    ASSERT_EQ(DLNA_DMRC_SetVolume(renderer, 0, &volume), 0);
    volume.volume = 0;
    ASSERT_EQ(DLNA_DMRC_GetVolume(renderer, 0, &volume), 0);
    EXPECT_EQ(volume.volume, 37);

    DLNA_PROTOCOL_INFO* sink = nullptr;
    int32_t count = 0;
    ASSERT_EQ(DLNA_DMRC_GetProtocolInfo(renderer, &sink, &count), 0);
    EXPECT_GT(count, 0);
    DLNA_FreeProtocolInfo(sink, static_cast<unsigned>(count));

    // gmediarender has no vendor picture extension.
    EXPECT_EQ(DLNA_DMRC_ZoomIn(renderer, 0), DLNA_E_NO_ACTION);
    // Nor is a server a renderer.
    EXPECT_EQ(DLNA_DMRC_Play(server, 0, "1"), DLNA_E_NO_ACTION);
}

TEST_F(ControllerLab, BrowsesMinidlnaDownToAnItem) {
    const fs::path media = scratch / "media";
    WriteFile(media / "Album" / "tone.wav", SilentWav(1));
    const std::string uuid = "c0000000-0000-4000-8000-00000000b002";
    StartMinidlna(uuid, 50121, media);
    StartLibrary(50120);
    DLNA_DEVICE_HANDLE server = events.WaitFor(DLNA_DMS_DISCOVERED_EVENT, "uuid:" + uuid, 20s);
    ASSERT_TRUE(server);

    auto root = Browse(server, "0");
    ASSERT_EQ(root->result, 0);
    ASSERT_NE(root->Titled("Browse Folders"), nullptr);
    const std::string folders = root->Titled("Browse Folders")->element.container.id;

    // The first scan takes a moment.
    std::unique_ptr<Browsed> view;
    for (int i = 0; i < 50; ++i) {
        view = Browse(server, folders);
        if (view->result == 0 && view->Titled("Album")) break;
        std::this_thread::sleep_for(200ms);
    }
    ASSERT_NE(view->Titled("Album"), nullptr);
    auto album = Browse(server, view->Titled("Album")->element.container.id);
    ASSERT_EQ(album->result, 0);
    ASSERT_EQ(album->count, 1);
    const auto& item = album->elements[0].element.item;
    EXPECT_EQ(album->elements[0].type, DLNA_CONTENT_ITEM);
    EXPECT_EQ(Text(item.title), "tone");
    ASSERT_GE(item.res_count, 1);
    EXPECT_THAT(Text(item.res[0].uri), testing::StartsWith("http://" + kLab1 + ":50121/"));
    EXPECT_EQ(Text(item.res[0].protocol_info.protocol), "http-get");
    EXPECT_THAT(Text(item.res[0].protocol_info.content_format), HasSubstr("audio/"));
    EXPECT_EQ(item.res[0].size, fs::file_size(media / "Album" / "tone.wav"));

    auto metadata = Browse(server, item.id, 0);
    ASSERT_EQ(metadata->result, 0);
    ASSERT_EQ(metadata->count, 1);
    EXPECT_EQ(Text(metadata->elements[0].element.item.id), Text(item.id));

    DLNA_PROTOCOL_INFO* source = nullptr;
    int32_t count = 0;
    ASSERT_EQ(DLNA_DMSC_GetProtocolInfo(server, &source, &count), 0);
    ASSERT_GT(count, 10);
    bool mp3 = false;
    for (int32_t i = 0; i < count; ++i) mp3 = mp3 || Text(source[i].content_format) == "audio/mpeg";
    EXPECT_TRUE(mp3);
    DLNA_FreeProtocolInfo(source, static_cast<unsigned>(count));
}

TEST_F(ControllerLab, APasswordGuardsOurServerUntilTheHostAuthenticates) {
    // Enough files that the answer is far beyond libupnp's default 16,000 bytes.
    for (int i = 0; i < 300; ++i)
        WriteFile(scratch / "media" / ("track" + std::to_string(i) + ".mp3"), "ID3");
    StartServer("Guarded", 50131, scratch / "media", {"--password", "secret"});
    StartLibrary(50130);
    DLNA_DEVICE_HANDLE server = events.WaitFor(DLNA_DMS_DISCOVERED_EVENT, "Guarded", 20s);
    ASSERT_TRUE(server);

    EXPECT_EQ(Browse(server, "2")->result, DLNA_E_MISSING_AUTHENTICATION);
    EXPECT_EQ(DLNA_DMSC_Authenticate(server, "Secret"), DLNA_E_AUTHENTICATION_FAILED);
    EXPECT_EQ(Browse(server, "2")->result, DLNA_E_MISSING_AUTHENTICATION);
    ASSERT_EQ(DLNA_DMSC_Authenticate(server, "secret"), 0);
    auto music = Browse(server, "2");
    ASSERT_EQ(music->result, 0);
    EXPECT_EQ(music->count, 300);
    EXPECT_NE(music->Titled("track299.mp3"), nullptr);
    size_t didl = 0;
    for (int32_t i = 0; i < music->count; ++i) didl += strlen(music->elements[i].element.item.didl);
    EXPECT_GT(didl, 16000u * 4);
}

TEST_F(ControllerLab, AServerStoppedWithByebyeDisappearsAndItsHandleIsRefused) {
    PeerProcess& peer = StartServer("Leaving", 50141, scratch);
    StartLibrary(50140);
    DLNA_DEVICE_HANDLE server = events.WaitFor(DLNA_DMS_DISCOVERED_EVENT, "Leaving", 20s);
    ASSERT_TRUE(server);
    ASSERT_EQ(Browse(server, "0")->result, 0);

    ASSERT_NE(peer.Stop(SIGTERM), -1);
    ASSERT_EQ(events.WaitFor(DLNA_DMS_DISAPPEARED_EVENT, "Leaving", 10s), server);
    ASSERT_TRUE(WaitUntilUnlisted(server));
    EXPECT_EQ(Browse(server, "0")->result, DLNA_E_INVALID_ARGUMENT);
    DLNA_DEVICE_INFO info{};
    EXPECT_EQ(DLNA_DMSC_GetDeviceInfo(server, &info), DLNA_E_INVALID_ARGUMENT);
}

TEST_F(ControllerLab, ANewDeviceTakesTheOldOnesPlaceOnTheNetwork) {
    StartLibrary(50160);
    const std::string web = kStage + "/share/dlna/web/";
    const auto udn = [](int (*get)(DLNA_DEVICE_INFO*)) {
        DLNA_DEVICE_INFO info{};
        if (get(&info) != 0) return std::string("none");
        const std::string text = Text(info.udn);
        DLNA_FreeDeviceInfo(&info);
        return text;
    };
    ASSERT_EQ(DLNA_CreateDevice((web + "DMR.xml").c_str()), 0);
    const std::string renderer = udn(DLNA_DMR_GetDeviceInfo);
    ASSERT_THAT(SearchAnswers(), HasSubstr(renderer));

    ASSERT_EQ(DLNA_CreateDevice((web + "DMS.xml").c_str()), 0);
    const std::string server = udn(DLNA_DMS_GetDeviceInfo);
    std::string answers = SearchAnswers();
    EXPECT_THAT(answers, HasSubstr(server));
    EXPECT_THAT(answers, testing::Not(HasSubstr(renderer)));
    EXPECT_EQ(udn(DLNA_DMR_GetDeviceInfo), "none");

    // A broken description leaves no device, not the old one.
    WriteFile(scratch / "broken.xml", "<root>");
    EXPECT_NE(DLNA_CreateDevice((scratch / "broken.xml").c_str()), 0);
    answers = SearchAnswers();
    EXPECT_THAT(answers, testing::Not(HasSubstr(server)));
    EXPECT_EQ(udn(DLNA_DMS_GetDeviceInfo), "none");
}

TEST_F(ControllerLab, AnAddressChangeRebasesSharedUrlsWithoutAControlPoint) {
    ASSERT_EQ(DLNA_Initialize(kLab0.c_str(), 50170), 0);
    started = true;
    WriteFile(scratch / "song.mp3", "ID3");
    const DLNA_SHARE_OBJECT song{"audio/mpeg", 3, 0};
    ASSERT_EQ(DLNA_DMS_AddShareObject((scratch / "song.mp3").c_str(), &song), 0);
    UpnpUtility::Instance().NotifyAddressChanged("198.51.100.9", 50170);
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;
    ASSERT_EQ(DLNA_DMS_Browse((scratch / "song.mp3").c_str(), &elements, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_THAT(Text(elements[0].element.item.res[0].uri),
                testing::StartsWith("http://198.51.100.9:50170/share/"));
    DLNA_DMSC_FreeContentElement(elements, count);
    DLNA_DMS_RemoveShareObject((scratch / "song.mp3").c_str());
}

TEST_F(ControllerLab, AKilledServerDisappearsThroughTheConnectionChecks) {
    PeerProcess& peer = StartServer("Killed", 50151, scratch);
    ControlPointTimings quick;
    quick.max_wait = 1;
    quick.refresh_limit = 0;
    quick.connect_timeout = 1;
    StartLibrary(50150, &quick);
    DLNA_DEVICE_HANDLE server = events.WaitFor(DLNA_DMS_DISCOVERED_EVENT, "Killed", 20s);
    ASSERT_TRUE(server);

    peer.Kill();
    ASSERT_EQ(events.WaitFor(DLNA_DMS_DISAPPEARED_EVENT, "Killed", 20s), server);
    ASSERT_TRUE(WaitUntilUnlisted(server));
    EXPECT_EQ(Browse(server, "0")->result, DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMRC_Stop(server, 0), DLNA_E_INVALID_ARGUMENT);
}

// --- dlna-control, as a person runs it ---

class DlnaControl : public ControllerLab {
protected:
    struct Run {
        int status;
        std::string output;
    };
    // One run with its own port; standard error joined to the output.
    Run Control(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"--ip", kLab0, "--port", std::to_string(next_port++), "--wait", "3"});
        PeerProcess& run = Start({kStage + "/bin/dlna-control", arguments});
        const int status = run.Stop(0, 60);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, run.Output()};
    }
    int next_port = 50180;
};

TEST_F(DlnaControl, ListsBrowsesAndPlaysOnOurRenderer) {
    WriteFile(scratch / "media" / "tone.wav", SilentWav(20));
    StartServer("Control media", 50171, scratch / "media", {"--password", "pw"});
    StartRenderer("Control renderer", 50172);

    const Run list = Control({"list"});
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_THAT(list.output, HasSubstr("server\tControl media\tuuid:"));
    EXPECT_THAT(list.output, HasSubstr("renderer\tControl renderer\tuuid:"));

    const Run refused = Control({"browse", "Control", "2"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.output, HasSubstr("wants a password"));
    const Run wrong = Control({"browse", "Control m", "2", "--password", "nope"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_THAT(wrong.output, HasSubstr("authentication to \"Control media\" failed"));

    const Run music = Control({"browse", "control media", "2", "--password", "pw"});
    ASSERT_EQ(music.status, 0) << music.output;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(music.output, match,
                                  std::regex("\titem\ttone\\.wav\t(http://[^\t]+)\t"
                                             "http-get:\\*:audio/[^\t\n]+\n")))
        << music.output;
    const std::string url = match[1];

    const Run play = Control({"play", "Control renderer", url});
    ASSERT_EQ(play.status, 0) << play.output;
    Run status{};
    for (int i = 0; i < 10 && status.output.find("state\tPLAYING") == std::string::npos; ++i)
        status = Control({"status", "Control r"});
    EXPECT_EQ(status.status, 0);
    EXPECT_THAT(status.output, HasSubstr("state\tPLAYING\n"));
    EXPECT_THAT(status.output, HasSubstr("uri\t" + url + "\n"));
    ASSERT_TRUE(std::regex_search(status.output, match, std::regex("duration\t([0-9:.]+)\n")));
    EXPECT_EQ(Seconds(match[1]), 20);

    const Run unknown = Control({"pause", "Nobody"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.output, HasSubstr("no renderer matches \"Nobody\""));
    EXPECT_THAT(unknown.output, HasSubstr("  Control renderer\tuuid:"));
    // A server is not a renderer, whatever its name.
    const Run kind = Control({"stop", "Control media"});
    EXPECT_EQ(kind.status, 1);
}
