// dlna-server's configuration file and its command line over it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "ConfigTestSupport.h"
#include "ServerConfig.h"

namespace {

std::string Folders(const ServerOptions& options) {
    std::string text;
    for (const SharedFolder& f : options.folders)
        text += f.path + (f.recursive ? " recursive" : "") + (f.watch ? " watch" : "") + ";";
    return text;
}

class ServerConfig : public testing::Test {
protected:
    // Reads `text` as a file named with --config; the error, empty if none.
    std::string Read(const std::string& text, mode_t password_mode = 0600) {
        folder.Write("password", "s3cret\nsecond line\n", password_mode);
        folder.Write("server.conf", text);
        options = ServerOptions{};
        std::string error;
        if (!ReadServerConfig(path, true, &options, &error)) return error;
        return {};
    }

    TempFolder folder;
    const std::string path = (folder.path() / "server.conf").string();
    ServerOptions options;
};

}  // namespace

TEST_F(ServerConfig, TakesEveryKey) {
    std::filesystem::create_directories(folder.path() / "music" / "My Songs recursive");
    std::filesystem::create_directories(folder.path() / "films");
    ASSERT_EQ(Read("name = Living room\n"
                   "password_file = password\n"
                   "port = 8200\n"
                   "ip = 198.51.100.1\n"
                   "desc = web/DMS.xml\n"
                   "folder = music recursive watch\n"
                   "folder = " + folder.path().string() + "/films\n"
                   "folder = music/My Songs recursive/ watch\n"
                   "recursive = no\n"
                   "watch = yes\n"
                   "log_level = info\n"),
              "");
    const std::string base = folder.path().string();
    EXPECT_EQ(options.name, "Living room");
    EXPECT_EQ(options.password, "s3cret");
    EXPECT_EQ(options.port, 8200);
    EXPECT_EQ(options.ip, "198.51.100.1");
    EXPECT_EQ(options.description, base + "/web/DMS.xml");
    EXPECT_EQ(Folders(options), base + "/music recursive watch;" + base + "/films;" + base +
                                    "/music/My Songs recursive/ watch;");
    EXPECT_FALSE(options.recursive);
    EXPECT_TRUE(options.watch);
    EXPECT_EQ(options.log_level, "info");

    ASSERT_EQ(Read("password = plain\ninterface = lo\n"), "");
    EXPECT_EQ(options.password, "plain");
    EXPECT_EQ(options.ip, "127.0.0.1");
}

TEST_F(ServerConfig, RefusesABadLineWithItsFileAndNumber) {
    std::filesystem::create_directories(folder.path() / "music");
    const struct {
        std::string text;
        std::string error;  // after "PATH:"
        mode_t password_mode = 0600;
    } cases[] = {
        {"# ok\nfoo = bar\n", "2: unknown key \"foo\""},
        {"port = http\n", "1: port wants a number from 0 to 65535, not \"http\""},
        {"port = 65536\n", "1: port wants a number from 0 to 65535, not \"65536\""},
        {"port =\n", "1: \"port\" has no value"},
        {"name = a\nname = b\n", "2: name is given twice (line 1 too); keep one"},
        {"ip = 10.0.0.1\ninterface = lo\n",
         "2: interface and ip (line 1) set the same thing; keep one"},
        {"password = a\npassword_file = password\n",
         "2: password_file and password (line 1) set the same thing; keep one"},
        {"ip = localhost\n", "1: ip wants an IPv4 address, not \"localhost\""},
        {"interface = nosuch0\n", "1: no interface named \"nosuch0\" (`ip link` lists them)"},
        {"recursive = maybe\n", "1: recursive wants yes or no, not \"maybe\""},
        {"watch = 2\n", "1: watch wants yes or no, not \"2\""},
        {"log_level = debug\n", "1: log_level wants error, warning or info, not \"debug\""},
        {"folder = music\nfolder = gone\n",
         "2: no such folder: " + folder.path().string() + "/gone"},
        {"folder = recursive watch\n",
         "1: folder wants a path before its flags, not \"recursive watch\""},
        {"password_file = password\n",
         "1: password_file " + folder.path().string() + "/password is open to others (mode 0644); "
         "chmod 600 " + folder.path().string() + "/password", 0644},
        {"password_file = password\n",
         "1: password_file " + folder.path().string() + "/password is open to others (mode 0620); "
         "chmod 600 " + folder.path().string() + "/password", 0620},
        {"password_file = none\n", "1: password_file " + folder.path().string() +
                                       "/none: No such file or directory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.text, c.password_mode), path + ":" + c.error) << c.text;
    }
}

TEST_F(ServerConfig, OnlyAFileNamedWithConfigMustExist) {
    const std::string missing = (folder.path() / "none.conf").string();
    std::string error;
    EXPECT_TRUE(ReadServerConfig(missing, false, &options, &error));
    EXPECT_FALSE(ReadServerConfig(missing, true, &options, &error));
    EXPECT_EQ(error, missing + ": no such file");
    EXPECT_EQ(std::string(kDefaultServerConfig), "/etc/dlna-server.conf");
}

TEST_F(ServerConfig, TheCommandLineGoesOverTheFile) {
    std::filesystem::create_directories(folder.path() / "music");
    std::filesystem::create_directories(folder.path() / "films");
    const std::string file_text =
        "name = From file\nport = 8200\nfolder = music recursive\nrecursive = yes\n";
    const struct {
        std::vector<std::string> arguments;
        std::string name;
        int port;
        std::string folders;
    } cases[] = {
        {{}, "From file", 8200, folder.path().string() + "/music recursive;"},
        {{"--port", "9000", "--name", "Command"}, "Command", 9000,
         folder.path().string() + "/music recursive;"},
        // Folders named replace the file's.
        {{"--config", "x.conf", "/srv/a", "/srv/b"}, "From file", 8200, "/srv/a;/srv/b;"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Read(file_text), "");
        Argv argv(c.arguments);
        std::string error;
        ASSERT_TRUE(ParseCommandLine(argv.argc(), argv.argv(), &options, &error)) << error;
        EXPECT_EQ(options.name, c.name);
        EXPECT_EQ(options.port, c.port);
        EXPECT_EQ(Folders(options), c.folders);
        EXPECT_TRUE(options.recursive);  // the file's, for every folder
    }

    ServerOptions given;
    Argv config({"--config=/etc/other.conf", "--watch"});
    std::string error;
    ASSERT_TRUE(ParseCommandLine(config.argc(), config.argv(), &given, &error)) << error;
    EXPECT_EQ(given.config, "/etc/other.conf");
    EXPECT_TRUE(given.watch);
    Argv bad({"--port", "http"});
    EXPECT_FALSE(ParseCommandLine(bad.argc(), bad.argv(), &given, &error));
    EXPECT_EQ(error, "--port wants a number from 0 to 65535, not 'http'");
}

TEST_F(ServerConfig, TheExampleFileShowsOnlyKeysItKnows) {
    const auto lines = ExampleLines(HALVORN_SOURCE_DIR "/data/dlna-server.conf");
    EXPECT_EQ(lines.size(), 12u);
    for (const std::string& line : lines)
        EXPECT_THAT(Read(line + "\n"), testing::Not(testing::HasSubstr("unknown key"))) << line;
}
