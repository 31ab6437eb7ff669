// The staged dlna-server in the lab, seen by clients nobody here wrote: a
// GUPnP control point (Python), curl, and gmediarender as the renderer.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "HttpClient.h"
#include "LabGuard.h"
#include "ScopedEnv.h"
#include "ServerProcess.h"
#include "SilentWav.h"

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

namespace {

const std::string kStage = SERVER_STAGE;
const char kServerIp[] = "198.51.100.1";
const char kOtherIp[] = "198.51.100.2";  // this machine too, behind another interface
const char kCds[] = "urn:schemas-upnp-org:service:ContentDirectory:1";

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xff);
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The value of the "name value" line of the GUPnP client's output.
std::string Field(const std::string& output, const std::string& name) {
    std::smatch match;
    if (!std::regex_search(output, match, std::regex("(^|\n)" + name + " ([^\n]*)"))) return {};
    return match[2].str();
}

std::vector<std::string> Ids(const std::string& didl, const std::string& element) {
    std::vector<std::string> ids;
    const std::regex pattern("<" + element + " id=\"([^\"]+)\"");
    for (std::sregex_iterator it(didl.begin(), didl.end(), pattern), end; it != end; ++it)
        ids.push_back((*it)[1].str());
    return ids;
}

// The URL of the item titled `title`.
std::string ItemUrl(const std::string& didl, const std::string& title) {
    std::smatch match;
    const std::regex pattern("<dc:title>" + title + "</dc:title>.*?<res[^>]*>([^<]+)</res>");
    return std::regex_search(didl, match, pattern) ? match[1].str() : std::string();
}

CommandResult Client(const std::string& arguments) {
    return RunCommand(std::string(MEDIA_CLIENT) + " lab0 " + arguments);
}

class ServerLab : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        char pattern[] = "/tmp/dlna-media-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        media = pattern;
        WriteFile(media / "song.mp3", "ID3" + Pattern(200000, 1));
        WriteFile(media / "clip.wav", SilentWav(1));
        WriteFile(media / "photo.jpg", Pattern(5000, 2));
        WriteFile(media / "notes.txt", "not media");
        WriteFile(media / "sub" / "deep.mp3", Pattern(3000, 3));
        server = std::make_unique<ServerProcess>(kStage, Arguments());
        ASSERT_TRUE(server->WaitUntilShared()) << server->Output();
    }
    void TearDown() override {
        if (server) {
            EXPECT_EQ(server->Stop(SIGTERM), 0) << server->Output();
        }
        fs::remove_all(media);
    }
    virtual std::vector<std::string> Arguments() {
        return {"--ip", kServerIp, "--name", "Lab Server", media.string()};
    }

    // A SOAP Browse sent by curl from `source`.
    CommandResult CurlBrowse(const std::string& source, const std::string& object_id,
                             const std::string& flag = "BrowseDirectChildren") {
        const std::string body =
            std::string(
                "<?xml version=\"1.0\"?><s:Envelope "
                "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>"
                "<u:Browse xmlns:u=\"") +
            kCds + "\"><ObjectID>" + object_id + "</ObjectID><BrowseFlag>" + flag +
            "</BrowseFlag><Filter>*</Filter><StartingIndex>0</StartingIndex><RequestedCount>0"
            "</RequestedCount><SortCriteria></SortCriteria></u:Browse></s:Body></s:Envelope>";
        return RunCommand("curl -s --max-time 10 --interface " + source +
                          " -H 'Content-Type: text/xml; charset=\"utf-8\"'"
                          " -H 'SOAPACTION: \"" +
                          kCds + "#Browse\"' --data-binary " + ShellQuote(body) + " " +
                          server->Base() + "/ContentDirectory/control");
    }
    // The HTTP status of a request made by curl.
    std::string Status(const std::string& options, const std::string& path) {
        return RunCommand("curl -s -o /dev/null -w '%{http_code}' --max-time 10 --path-as-is " +
                          options + " " + ShellQuote(server->Base() + path))
            .output;
    }

    fs::path media;
    std::unique_ptr<ServerProcess> server;
};

}  // namespace

TEST_F(ServerLab, BrowsesTheRootTheCategoriesAndAnItem) {
    CommandResult root = Client("browse 0 BrowseMetadata 0 0");
    ASSERT_EQ(root.status, 0) << root.output;
    EXPECT_EQ(Ids(Field(root.output, "Result"), "container"), std::vector<std::string>{"0"});
    EXPECT_EQ(Field(root.output, "NumberReturned"), "1");

    CommandResult categories = Client("browse 0 BrowseDirectChildren 0 0");
    ASSERT_EQ(categories.status, 0) << categories.output;
    EXPECT_EQ(Ids(Field(categories.output, "Result"), "container"),
              (std::vector<std::string>{"1", "2", "3", "F"}));
    EXPECT_EQ(Field(categories.output, "TotalMatches"), "4");

    // Music: the folder's own two audio files, not the sub-folder's.
    CommandResult music = Client("browse 2 BrowseDirectChildren 0 0");
    ASSERT_EQ(music.status, 0) << music.output;
    const std::string didl = Field(music.output, "Result");
    EXPECT_THAT(didl, HasSubstr("<dc:title>song.mp3</dc:title>"));
    EXPECT_THAT(didl, HasSubstr("<dc:title>clip.wav</dc:title>"));
    EXPECT_THAT(didl, Not(HasSubstr("deep.mp3")));
    EXPECT_THAT(didl,
                HasSubstr("protocolInfo=\"http-get:*:audio/mpeg:DLNA.ORG_PN=MP3;DLNA.ORG_OP=01;"));
    ASSERT_EQ(Ids(didl, "item").size(), 2u);

    CommandResult item = Client("browse " + Ids(didl, "item").front() + " BrowseMetadata 0 0");
    ASSERT_EQ(item.status, 0) << item.output;
    EXPECT_EQ(Field(item.output, "TotalMatches"), "1");
    EXPECT_EQ(Ids(Field(item.output, "Result"), "item"),
              std::vector<std::string>{Ids(didl, "item").front()});

    CommandResult missing = Client("browse 99 BrowseDirectChildren 0 0");
    EXPECT_EQ(missing.status, 2) << missing.output;
    EXPECT_THAT(missing.output, HasSubstr("fault 701"));
}

TEST_F(ServerLab, AnswersTheFixedQueries) {
    const struct {
        const char* action;
        const char* argument;
        const char* value;
    } queries[] = {
        {"GetSearchCapabilities", "SearchCaps",
         "@id,@refID,upnp:class,dc:title,dc:creator,upnp:artist,upnp:album,upnp:genre,"
         "dc:date,upnp:originalTrackNumber,res@protocolInfo,res@size"},
        {"GetSortCapabilities", "SortCaps",
         "dc:title,dc:creator,dc:date,upnp:class,upnp:album,upnp:originalTrackNumber"},
    };
    for (const auto& q : queries) {
        CommandResult run = Client(std::string("call ") + kCds + " " + q.action + " " + q.argument);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(Field(run.output, q.argument), q.value);
    }
    // Every file shared at the start counted as a change.
    CommandResult update = Client(std::string("call ") + kCds + " GetSystemUpdateID Id");
    ASSERT_EQ(update.status, 0) << update.output;
    EXPECT_THAT(Field(update.output, "Id"), testing::MatchesRegex("[1-9][0-9]*"));
}

TEST_F(ServerLab, GupnpSearchesMusicByClass) {
    const auto search = [&](const std::string& criteria, const std::string& sort) {
        return Client(std::string("call ") + kCds + " Search Result,TotalMatches ContainerID=0 " +
                      ShellQuote("SearchCriteria=" + criteria) + " Filter=* StartingIndex=0" +
                      " RequestedCount=0 " + ShellQuote("SortCriteria=" + sort));
    };
    CommandResult music =
        search(R"(upnp:class derivedfrom "object.item.audioItem")", "-dc:title");
    ASSERT_EQ(music.status, 0) << music.output;
    EXPECT_EQ(Field(music.output, "TotalMatches"), "2");
    const std::string didl = Field(music.output, "Result");
    const size_t song = didl.find("<dc:title>song.mp3</dc:title>");
    const size_t clip = didl.find("<dc:title>clip.wav</dc:title>");
    EXPECT_NE(clip, std::string::npos) << didl;
    EXPECT_LT(song, clip) << didl;

    CommandResult refused = search("upnp:class derivedfrom", "");
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_THAT(refused.output, HasSubstr("fault 708"));
}

TEST_F(ServerLab, ServesSharedFilesByteForByteAndNothingElse) {
    CommandResult music = Client("browse 2 BrowseDirectChildren 0 0");
    ASSERT_EQ(music.status, 0) << music.output;
    const std::string url = ItemUrl(Field(music.output, "Result"), "song\\.mp3");
    // Files come from the media server's own port, beside libupnp's.
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(url, parts, std::regex("http://198\\.51\\.100\\.1:([0-9]+)(/share/.*)")))
        << url;
    EXPECT_NE(parts[1].str(), std::to_string(server->Port()));
    const std::string path = parts[2].str();
    const std::string original = ReadFile(media / "song.mp3");

    const fs::path copy = media / "fetched";
    ASSERT_EQ(RunCommand("curl -s -f --max-time 10 -o " + copy.string() + " " + url).status, 0);
    EXPECT_TRUE(ReadFile(copy) == original);

    CommandResult ranged = RunCommand("curl -s -i --max-time 10 -r 1000-1999 " + url);
    EXPECT_THAT(ranged.output, HasSubstr(" 206 "));
    EXPECT_THAT(ranged.output, HasSubstr("1000-1999/" + std::to_string(original.size())));
    const auto body = ranged.output.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos);
    EXPECT_TRUE(ranged.output.substr(body + 4) == original.substr(1000, 1000));

    // A plain client: libupnp's answer to PUT has no valid status line for
    // curl ("HTTP/0.0 501").
    for (const char* method : {"POST", "PUT"}) {
        const int status =
            HttpRequest(server->Address(), server->Port(), method, path, {}, "x").status;
        EXPECT_GE(status, 400) << method;
    }
    EXPECT_TRUE(ReadFile(media / "song.mp3") == original);

    for (const char* unshared : {"/share/99999.mp3", "/share/../../../../etc/passwd",
                                 "/share/%2e%2e/%2e%2e/etc/passwd", "/%2e%2e/%2e%2e/etc/passwd",
                                 "/share/..%2f..%2fetc/passwd", "/notes.txt", "/share/notes.txt"})
        EXPECT_EQ(Status("", unshared), "404") << unshared;
}

// The Result goes out as CDATA (libixml copies that whole instead of
// escaping it a byte at a time): every parser clients are built on must
// still read the same titles.
TEST_F(ServerLab, EveryParserReadsTheResult) {
    const CommandResult answer = CurlBrowse(kServerIp, "2");
    ASSERT_THAT(answer.output, HasSubstr("<Result><![CDATA[<DIDL-Lite"));
    const fs::path body = media / "answer.xml";
    WriteFile(body, answer.output);
    const std::string here = fs::path(MEDIA_CLIENT).parent_path().string();
    const CommandResult python = RunCommand("python3 " + here + "/read_result.py < " + body.string());
    EXPECT_EQ(python.output, "clip.wav\nsong.mp3\n");
    const CommandResult node = RunCommand("NODE_PATH=" NODE_MODULES " node " + here +
                                          "/read_result.js < " + body.string());
    EXPECT_EQ(node.output,
              "xml2js clip.wav\nxml2js song.mp3\nelementtree clip.wav\nelementtree song.mp3\n");
    // GUPnP's libxml2, as the other tests read it.
    const CommandResult gupnp = Client("browse 2 BrowseDirectChildren 0 0");
    EXPECT_THAT(Field(gupnp.output, "Result"), HasSubstr("<dc:title>clip.wav</dc:title>"));
}

TEST_F(ServerLab, GupnpBrowsesTheFolderView) {
    const CommandResult top = Client("browse F BrowseDirectChildren 0 0");
    ASSERT_EQ(top.status, 0) << top.output;
    const std::string didl = Field(top.output, "Result");
    // The shared folder's own files; each names its item in a category.
    EXPECT_EQ(Field(top.output, "TotalMatches"), "3") << didl;
    const std::vector<std::string> ids = Ids(didl, "item");
    ASSERT_EQ(ids.size(), 3u) << didl;
    EXPECT_THAT(didl, HasSubstr("parentID=\"F\" restricted=\"1\" refID=\""));
    EXPECT_THAT(didl, HasSubstr("<dc:title>photo.jpg</dc:title>"));
    const CommandResult item = Client("browse " + ids.front() + " BrowseMetadata 0 0");
    ASSERT_EQ(item.status, 0) << item.output;
    EXPECT_EQ(Ids(Field(item.output, "Result"), "item"), std::vector<std::string>{ids.front()});
}

// What Samsung, LG and Sony TVs ask before they play and seek.
TEST_F(ServerLab, AnswersTheDlnaHeadersTelevisionsAskFor) {
    const CommandResult music = Client("browse 2 BrowseDirectChildren 0 0");
    ASSERT_EQ(music.status, 0) << music.output;
    const std::string song = ItemUrl(Field(music.output, "Result"), "song\\.mp3");
    const CommandResult pictures = Client("browse 3 BrowseDirectChildren 0 0");
    ASSERT_EQ(pictures.status, 0) << pictures.output;
    const std::string photo = ItemUrl(Field(pictures.output, "Result"), "photo\\.jpg");
    EXPECT_THAT(Field(pictures.output, "Result"), HasSubstr(":image/jpeg:DLNA.ORG_PN=JPEG_LRG;"));
    const auto headers = [](const std::string& options, const std::string& url) {
        return RunCommand("curl -s -f -D - -o /dev/null --max-time 10 " + options + " " + url)
            .output;
    };
    const auto count = [](const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    };
    const char* ask = "-H 'getcontentFeatures.dlna.org: 1'";

    const struct {
        std::string url;
        std::string options;
        std::string expected;
        std::string not_expected;
    } cases[] = {
        {song, ask,
         "\r\ncontentFeatures.dlna.org: DLNA.ORG_PN=MP3;DLNA.ORG_OP=01;DLNA.ORG_CI=0;"
         "DLNA.ORG_FLAGS=01700000000000000000000000000000\r\n",
         ""},
        {song, "", "\r\ntransferMode.dlna.org: Streaming\r\n", "contentFeatures"},
        {song, "-H 'transferMode.dlna.org: Background'",
         "\r\ntransferMode.dlna.org: Background\r\n", ""},
        {song, "-H 'transferMode.dlna.org: Interactive'",
         "\r\ntransferMode.dlna.org: Streaming\r\n", ""},
        {photo, ask + std::string(" -I"),
         "\r\ncontentFeatures.dlna.org: DLNA.ORG_PN=JPEG_LRG;DLNA.ORG_OP=01;DLNA.ORG_CI=0;"
         "DLNA.ORG_FLAGS=00F00000000000000000000000000000\r\n",
         ""},
        {photo, "", "\r\ntransferMode.dlna.org: Interactive\r\n", ""},
        {song, ask + std::string(" -r 0-99"), "\r\ntransferMode.dlna.org: Streaming\r\n", ""},
    };
    for (const auto& c : cases) {
        const std::string answer = headers(c.options, c.url);
        EXPECT_THAT(answer, HasSubstr(c.expected)) << c.options;
        if (!c.not_expected.empty()) {
            EXPECT_THAT(answer, Not(HasSubstr(c.not_expected))) << c.options;
        }
        // libupnp's own, once.
        EXPECT_EQ(count(answer, "Accept-Ranges: bytes\r\n"), 1u) << c.options << answer;
        EXPECT_EQ(count(answer, "transferMode.dlna.org:"), 1u) << c.options << answer;
    }
}

namespace {

class PasswordLab : public ServerLab {
protected:
    std::vector<std::string> Arguments() override {
        return {"--ip", kServerIp, "--password", "secret", media.string()};
    }
};

}  // namespace

TEST_F(PasswordLab, BrowsingNeedsTheChallengeAnsweredAndOnlyForThatClient) {
    CommandResult refused = Client("browse 0 BrowseDirectChildren 0 0");
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_THAT(refused.output, HasSubstr("fault 801"));

    CommandResult wrong = Client("authenticate secret AAAAAAAAAAAAAAAAAAAAAA==");
    EXPECT_EQ(wrong.status, 2) << wrong.output;
    EXPECT_THAT(wrong.output, HasSubstr("fault 501"));

    // The digest is Python's hmac over the decoded challenge.
    CommandResult right = Client("authenticate secret");
    ASSERT_EQ(right.status, 0) << right.output;
    EXPECT_EQ(Field(right.output, "challenge").size(), 344u);

    CommandResult passes = Client("browse 0 BrowseDirectChildren 0 0");
    EXPECT_EQ(passes.status, 0) << passes.output;
    EXPECT_THAT(CurlBrowse(kServerIp, "0").output, HasSubstr("NumberReturned>4<"));
    // Another source address is another machine's interface: still refused.
    CommandResult other = CurlBrowse(kOtherIp, "0");
    EXPECT_THAT(other.output, HasSubstr("<errorCode>801</errorCode>")) << other.output;

    // Files follow Browse.
    CommandResult music = Client("browse 2 BrowseDirectChildren 0 0");
    const std::string url = ItemUrl(Field(music.output, "Result"), "song\\.mp3");
    ASSERT_EQ(url.rfind("http://" + std::string(kServerIp) + ":", 0), 0u) << music.output;
    const auto fetch = [](const std::string& source, const std::string& at) {
        return RunCommand("curl -s -o /dev/null -w '%{http_code}' --max-time 10 --interface " +
                          source + " " + ShellQuote(at))
            .output;
    };
    EXPECT_EQ(fetch(kServerIp, url), "200");
    EXPECT_EQ(fetch(kOtherIp, url), "403");
    // libupnp's web server leaves shared files to the media server.
    const std::string path = url.substr(url.find("/share/"));
    EXPECT_EQ(Status("--interface " + std::string(kServerIp), path), "404");
    EXPECT_EQ(Status("--interface " + std::string(kOtherIp), "/description.xml"), "200");
    EXPECT_THAT(server->Output(),
                HasSubstr("[WARNING] "));
    EXPECT_THAT(server->Output(),
                HasSubstr("Refused " + path + " to " + kOtherIp + ": not authenticated"));
}

namespace {

class RendererLab : public ServerLab {};

}  // namespace

TEST_F(RendererLab, GmediarenderFetchesAndPlaysASharedItem) {
    // A port no other test gives gmediarender: Debian 12's links libupnp
    // 1.8.4, which binds without SO_REUSEADDR, so a port an earlier test's
    // gmediarender served may still wait out TIME_WAIT (seen: -203 for a
    // minute).
    ChildProcess renderer(
        "/usr/bin/gmediarender",
        {"-I", "lab0", "--port", "49530", "-f", "Lab Renderer", "-o", "gst", "--gstout-audiosink",
         "fakesink", "--gstout-videosink", "fakesink", "--logfile", "stdout"});
    ASSERT_FALSE(renderer.WaitForOutput("Ready for rendering").empty()) << renderer.Output();
    CommandResult music = Client("browse 2 BrowseDirectChildren 0 0");
    const std::string url = ItemUrl(Field(music.output, "Result"), "clip\\.wav");
    ASSERT_FALSE(url.empty()) << music.output;

    CommandResult play = Client("play " + url + " audio/wav");
    EXPECT_EQ(play.status, 0) << play.output << renderer.Output();
    EXPECT_THAT(play.output, HasSubstr("state PLAYING OK " + url));
    renderer.Stop(SIGTERM);
}

namespace {

class WatchLab : public ServerLab {
protected:
    std::vector<std::string> Arguments() override {
        return {"--ip", kServerIp, "--watch", media.string()};
    }
    // Seconds until the music container's listing does (or does not) hold
    // `title`; -1 after 5 s.
    double SecondsUntil(const std::string& title, bool present) {
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
            const bool listed = CurlBrowse(kServerIp, "2").output.find(">" + title + "<") !=
                                std::string::npos;
            if (listed == present)
                return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                    .count();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }
};

}  // namespace

TEST_F(WatchLab, ACopiedFileAppearsAndADeletedOneDisappears) {
    ASSERT_GE(SecondsUntil("song.mp3", true), 0);
    const auto update_id = [] {
        const CommandResult run = Client(std::string("call ") + kCds + " GetSystemUpdateID Id");
        return std::stoul("0" + Field(run.output, "Id"));
    };
    const unsigned long before = update_id();
    fs::copy_file(media / "song.mp3", media / "copy.mp3");
    const double appeared = SecondsUntil("copy.mp3", true);
    EXPECT_GE(appeared, 0);
    EXPECT_LT(appeared, 2.0);
    EXPECT_GT(update_id(), before);
    fs::remove(media / "copy.mp3");
    const double gone = SecondsUntil("copy.mp3", false);
    EXPECT_GE(gone, 0);
    EXPECT_LT(gone, 2.0);
    EXPECT_THAT(server->Output(), HasSubstr("added " + (media / "copy.mp3").string()));
}

namespace {

// Everything from a configuration file, nothing on the command line but it.
class ConfigFileLab : public ServerLab {
protected:
    std::vector<std::string> Arguments() override {
        config = media.string() + ".conf";
        WriteFile(config, "# the lab's\nname = Configured Server\nip = " +
                              std::string(kServerIp) + "\nfolder = " + media.string() +
                              " recursive\n");
        return {"--config", config.string()};
    }
    void TearDown() override {
        ServerLab::TearDown();
        fs::remove(config);
    }
    fs::path config;
};

}  // namespace

TEST_F(ConfigFileLab, SharesTheFilesFolderUnderTheFilesName) {
    CommandResult music = Client("browse 2 BrowseDirectChildren 0 0");
    ASSERT_EQ(music.status, 0) << music.output;
    EXPECT_EQ(Field(music.output, "friendlyName"), "Configured Server");
    const std::string didl = Field(music.output, "Result");
    EXPECT_THAT(didl, HasSubstr("<dc:title>song.mp3</dc:title>"));
    EXPECT_THAT(didl, HasSubstr("<dc:title>deep.mp3</dc:title>"));  // the folder's own flag
    EXPECT_EQ(server->Address(), kServerIp);
}

TEST(ServerStartLab, RefusesABadConfigurationFileWithItsFileAndLine) {
    HALVORN_REQUIRE_LAB();
    char folder[] = "/tmp/dlna-config-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/server.conf";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"name = Lab\n\nfoo = bar\n", file + ":3: unknown key \"foo\""},
        {"port = 80000\n", file + ":1: port wants a number from 0 to 65535, not \"80000\""},
        {"", std::string(folder) + "/none.conf: no such file"},
    };
    for (const auto& c : cases) {
        WriteFile(file, c.text);
        const std::string named = c.text.empty() ? std::string(folder) + "/none.conf" : file;
        ChildProcess run(kStage + "/bin/dlna-server",
                         {"--config", named, "--ip", kServerIp, folder});
        const int status = run.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << run.Output();
        EXPECT_EQ(run.Output(), "dlna-server: " + c.message + "\n");
    }
    fs::remove_all(folder);
}

// Start-up failures: one line saying what and what to do, status 1.
TEST(ServerStartLab, RefusesWhatItCannotServeWithOneClearLine) {
    HALVORN_REQUIRE_LAB();
    const int busy = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(50505);
    inet_pton(AF_INET, kServerIp, &address.sin_addr);
    ASSERT_EQ(bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(busy, 1), 0);
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"/nonexistent/folder"}, "no such folder: /nonexistent/folder"},
        {{"--desc", "/nonexistent/DMS.xml", "/tmp"}, "description not found: /nonexistent/DMS.xml"},
        {{"--ip", kServerIp, "--port", "50505", "/tmp"}, "port 50505 is in use"},
        {{"--port", "http", "/tmp"}, "--port wants a number"},
        {{}, "no folder to share"},
    };
    // A home without music, videos or pictures folders.
    char home[] = "/tmp/dlna-home-XXXXXX";
    ASSERT_NE(mkdtemp(home), nullptr);
    const ScopedEnv home_env("HOME", home);
    const ScopedEnv no_config_home("XDG_CONFIG_HOME", nullptr);
    for (const auto& c : cases) {
        ChildProcess run(kStage + "/bin/dlna-server", c.arguments);
        const int status = run.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.message << run.Output();
        const std::string output = run.Output();
        EXPECT_THAT(output, HasSubstr(std::string("dlna-server: ") + c.message));
    }
    close(busy);

    // With no folder named, the user's own media folders, as user-dirs names them.
    WriteFile(fs::path(home) / ".config" / "user-dirs.dirs",
              "# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n"
              "XDG_PICTURES_DIR=\"$HOME/\"\n");
    WriteFile(fs::path(home) / "Musik" / "album" / "track.mp3", "x");
    WriteFile(fs::path(home) / "Videos" / "film.mp4", "x");
    {
        ChildProcess run(kStage + "/bin/dlna-server", {"--ip", kServerIp});
        EXPECT_FALSE(run.WaitForOutput("dlna-server: shared 2 files from 2 folders in ").empty())
            << run.Output();
        EXPECT_THAT(run.Output(), HasSubstr(std::string("dlna-server: sharing ") + home +
                                            "/Musik, " + home + "/Videos\n"));
        run.Stop(SIGTERM);
    }
    fs::remove_all(home);
}

TEST(ServerStartLab, ShowsProgressOnATerminalAndTheFinalCount) {
    HALVORN_REQUIRE_LAB();
    char pattern[] = "/tmp/dlna-media-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    for (int i = 0; i < 50; ++i)
        WriteFile(fs::path(pattern) / ("t" + std::to_string(i) + ".mp3"), "x");
    ChildProcess::Setup terminal;
    terminal.terminal = true;
    ChildProcess run(kStage + "/bin/dlna-server", {"--ip", kServerIp, pattern}, terminal);
    EXPECT_FALSE(run.WaitForOutput("dlna-server: shared 50 files from 1 folder in ").empty())
        << run.Output();
    EXPECT_THAT(run.Output(), HasSubstr("\rsharing: "));
    EXPECT_THAT(run.Output(), HasSubstr(" files/s"));
    run.Stop(SIGINT);
    fs::remove_all(pattern);
}
