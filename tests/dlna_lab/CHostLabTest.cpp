// A host written in C, compiled here against the staged install through
// pkg-config, runs the library's calling order and finds gmediarender and
// minidlna on the lab network.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "LabGuard.h"
#include "PeerProcess.h"

namespace fs = std::filesystem;

namespace {

const std::string kLab1 = "198.51.100.2";

class CHost : public testing::Test {
protected:
    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        char pattern[] = "/tmp/halvorn-chost-XXXXXX";
        root = mkdtemp(pattern);
    }
    void TearDown() override {
        peers.clear();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    PeerProcess& Start(PeerCommand command, int port) {
        peers.push_back(std::make_unique<PeerProcess>(std::move(command)));
        EXPECT_TRUE(peers.back()->WaitForPort(kLab1, port)) << peers.back()->Output();
        return *peers.back();
    }

    fs::path root;
    std::vector<std::unique_ptr<PeerProcess>> peers;
};

}  // namespace

TEST_F(CHost, BuiltAgainstTheInstalledLibraryFindsRealPeersAndSharesAFile) {
    const std::string stage = DLNA_STAGE;
    const std::string program = (root / "calling_order").string();
    const std::string build =
        // Exported: the variable must reach the substituted pkg-config too.
        "export PKG_CONFIG_PATH='" + stage + "/" DLNA_LIBDIR "/pkgconfig'; '" C_COMPILER
        "' -std=c99 -Wall -Wextra -Werror -pedantic " C_HOST_FLAGS " '" C_HOST_SOURCE "' -o '" +
        program + "' $(pkg-config --cflags --libs dlna)";
    const CommandResult built = RunCommand(build);
    ASSERT_EQ(built.status, 0) << build << "\n" << built.output;

    Start({"gmediarender",
           {"-f", "C host renderer", "-I", "lab1", "-p", "49610", "--gstout-audiosink", "fakesink",
            "--gstout-videosink", "fakesink"}},
          49610);
    for (const char* folder : {"media", "db", "log"}) fs::create_directory(root / folder);
    std::ofstream(root / "media" / "tone.mp3") << "not really audio";
    std::ofstream(root / "minidlna.conf")
        << "port=49620\nnetwork_interface=lab1\nfriendly_name=C host server\nmedia_dir="
        << (root / "media").string() << "\ndb_dir=" << (root / "db").string()
        << "\nlog_dir=" << (root / "log").string() << "\ninotify=no\n";
    Start({"minidlnad",
           {"-d", "-f", (root / "minidlna.conf").string(), "-P", (root / "minidlna.pid").string()}},
          49620);

    const fs::path shared = root / "song.mp3";
    std::ofstream(shared) << std::string(900, 'x');
    const std::string run = "'" + program + "' '" + stage + "/share/dlna/web/DMS.xml' '" +
                            shared.string() + "' 30";
    const CommandResult result = RunCommand(run);
    const std::string& output = result.output;
    EXPECT_EQ(result.status, 0) << output;
    EXPECT_NE(output.find("version 12.12.35"), std::string::npos) << output;
    EXPECT_NE(output.find("renderer: C host renderer"), std::string::npos) << output;
    EXPECT_NE(output.find("server: C host server"), std::string::npos) << output;
    EXPECT_NE(output.find("shared: 4 song.mp3 http://"), std::string::npos) << output;
}
