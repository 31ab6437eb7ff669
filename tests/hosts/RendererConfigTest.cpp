// dlna-renderer's configuration files, one over the other, and its command
// line over them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "RendererConfig.h"
#include "ScopedEnv.h"

TEST(RendererConfig, TakesEveryKey) {
    TempFolder folder;
    const std::string path = folder.Write("r.conf",
                                          "desc = web/DMR.xml\n"
                                          "name = Living room PC\n"
                                          "ip = 198.51.100.1\n"
                                          "port = 49200\n"
                                          "audio_sink = fakesink sync=true\n"
                                          "video_sink = fakesink\n"
                                          "null = yes\n");
    Options options;
    std::string error;
    ASSERT_TRUE(ReadRendererConfig(path, true, &options, &error)) << error;
    EXPECT_EQ(options.description, folder.path().string() + "/web/DMR.xml");
    EXPECT_EQ(options.name, "Living room PC");
    EXPECT_EQ(options.address, "198.51.100.1");
    EXPECT_EQ(options.port, 49200);
    EXPECT_EQ(options.audio_sink, "fakesink sync=true");
    EXPECT_EQ(options.video_sink, "fakesink");
    EXPECT_TRUE(options.null_host);

    const std::string by_interface = folder.Write("i.conf", "interface=lo\n");
    ASSERT_TRUE(ReadRendererConfig(by_interface, true, &options, &error)) << error;
    EXPECT_EQ(options.address, "127.0.0.1");
}

TEST(RendererConfig, RefusesABadLineWithItsFileAndNumber) {
    const struct {
        const char* text;
        const char* error;  // after "PATH:"
    } cases[] = {
        {"\n\nvolume = 10\n", "3: unknown key \"volume\""},
        {"port = -1\n", "1: port wants a number from 0 to 65535, not \"-1\""},
        {"name\n", "1: expected key=value, not \"name\""},
        {"null = sometimes\n", "1: null wants yes or no, not \"sometimes\""},
        {"audio_sink = a\naudio_sink = b\n", "2: audio_sink is given twice (line 1 too); keep one"},
        {"interface = lo\nip = 10.0.0.1\n",
         "2: ip and interface (line 1) set the same thing; keep one"},
        {"ip = 300.1.1.1\n", "1: ip wants an IPv4 address, not \"300.1.1.1\""},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        const std::string path = folder.Write("bad.conf", c.text);
        Options options;
        std::string error;
        EXPECT_FALSE(ReadRendererConfig(path, true, &options, &error)) << c.text;
        EXPECT_EQ(error, path + ":" + c.error);
    }
}

TEST(RendererConfig, TheUsersFileGoesOverTheSystemsAndTheCommandLineOverBoth) {
    TempFolder folder;
    const std::string system = folder.Write("system.conf", "name = System\nport = 1000\n");
    const std::string user = folder.Write("user.conf", "port = 2000\nvideo_sink = fakesink\n");
    Options options;
    std::string error;
    for (const std::string& file : {system, user, folder.path().string() + "/none.conf"})
        ASSERT_TRUE(ReadRendererConfig(file, false, &options, &error)) << error;
    EXPECT_EQ(options.name, "System");
    EXPECT_EQ(options.port, 2000);
    EXPECT_EQ(options.video_sink, "fakesink");

    Argv argv({"--port", "3000", "--null"});
    int status = -1;
    ASSERT_TRUE(ParseOptions(argv.argc(), argv.argv(), &options, &status));
    EXPECT_EQ(options.name, "System");
    EXPECT_EQ(options.port, 3000);
    EXPECT_EQ(options.video_sink, "fakesink");
    EXPECT_TRUE(options.null_host);

    Options given;
    Argv config({"--config", user});
    ASSERT_TRUE(ParseOptions(config.argc(), config.argv(), &given, &status));
    EXPECT_EQ(given.config, user);
    const std::string missing = folder.path().string() + "/missing.conf";
    EXPECT_FALSE(ReadRendererConfig(missing, true, &given, &error));
}

TEST(RendererConfig, TheUsersFileFollowsXdgConfigHome) {
    const struct {
        const char* xdg;
        const char* home;
        std::vector<std::string> files;
    } cases[] = {
        {"/x/config", "/home/kim", {"/etc/dlna-renderer.conf", "/x/config/dlna-renderer.conf"}},
        {nullptr, "/home/kim", {"/etc/dlna-renderer.conf", "/home/kim/.config/dlna-renderer.conf"}},
        {"relative", "/home/kim",
         {"/etc/dlna-renderer.conf", "/home/kim/.config/dlna-renderer.conf"}},
        {nullptr, nullptr, {"/etc/dlna-renderer.conf"}},
    };
    for (const auto& c : cases) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(DefaultRendererConfigs(), c.files) << (c.xdg ? c.xdg : "(unset)");
    }
}

TEST(RendererConfig, TheExampleFileShowsOnlyKeysItKnows) {
    const auto lines = ExampleLines(HALVORN_SOURCE_DIR "/data/dlna-renderer.conf");
    EXPECT_EQ(lines.size(), 8u);
    TempFolder folder;
    for (const std::string& line : lines) {
        Options options;
        std::string error;
        ReadRendererConfig(folder.Write("r.conf", line + "\n"), true, &options, &error);
        EXPECT_THAT(error, testing::Not(testing::HasSubstr("unknown key"))) << line;
    }
}
