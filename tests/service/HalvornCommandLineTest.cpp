// The built Halvorn program's command line. Every run gets a fake systemctl
// first on PATH, a throw-away unit directory and an empty working directory:
// even a build that wrongly fell through to console mode would stop at its
// first missing file, long before the network.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "ServiceTestTools.h"

namespace {

using namespace service_test;

const std::string kBanner = "Name: halvorn, Version: 11.9.28, Date: 2011-4-26, Issue: ";

class HalvornCommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(units);
        fs::create_directories(work);
        InstallFakeSystemctl(bin);
    }

    Outcome Halvorn(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), HALVORN_EXE);
        return RunProgram(arguments,
                          {{"PATH", bin.string() + ":/usr/bin:/bin"},
                           {"SYSTEMD_UNIT_PATH", units.string()},
                           {"NOTIFY_SOCKET", ""}},
                          work);
    }
    std::vector<std::string> Calls() const { return ReadLines(SystemctlLog(bin)); }
    bool NothingInstalled() const { return fs::is_empty(units) && Calls().empty(); }
    fs::path Unit() const { return units / "Halvorn.service"; }
    std::string ExecStartLine() const {
        for (const std::string& line : ReadLines(Unit()))
            if (line.rfind("ExecStart=", 0) == 0) return line;
        return "";
    }

    TempDir root;
    fs::path bin = root / "bin";
    fs::path units = root / "units";
    fs::path work = root / "work";
    const std::string exe = fs::canonical(HALVORN_EXE).string();
};

TEST_F(HalvornCommandLineTest, HelpListsOptionsInOrderAndWinsOverEverything) {
    const Outcome help = Halvorn({"--help"});
    EXPECT_TRUE(help.Exited(0));
    EXPECT_EQ(help.err, "");
    ASSERT_EQ(help.out.rfind("Help: command line options:\n", 0), 0u) << help.out;

    const std::vector<std::pair<std::string, std::string>> options = {
        {"-h [ --help ]", "Use -h or --help to list all the arguments"},
        {"--friendly-name arg", "set friendly-name"},
        {"--ip arg", "specified the IP address of the web server"},
        {"--port arg", "specified the listen port of the web server"},
        {"--web-root arg", "set web-root directory"},
        {"--dev-desc arg", "set device description xmlfile"},
        {"--service-list arg", "set full path for ServiceList.xml"},
        {"--max-x arg", "maximum value for the x axis"},
        {"--max-y arg", "maximum value for the y axis"},
        {"-d [ --daemon ]", "run as a daemon"},
        {"-q [ --quit ]", "quit the daemon"},
        {"--version", "show version"},
    };
    std::istringstream lines(help.out.substr(help.out.find('\n') + 1));
    std::string line;
    for (const auto& [option, text] : options) {
        ASSERT_TRUE(std::getline(lines, line)) << "missing " << option;
        // One line per option, no default values shown.
        EXPECT_EQ(line.find("  " + option + " "), 0u) << line;
        EXPECT_EQ(line.substr(line.find_first_not_of(' ', 2 + option.size())), text) << line;
    }
    EXPECT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(std::getline(lines, line)) << "unexpected: " << line;

    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"-h", "-d", "-q"}, {"--daemon", "--help"}, {"--version", "-h", "--port", "5000"}}) {
        const Outcome other = Halvorn(arguments);
        EXPECT_TRUE(other.Exited(0));
        EXPECT_EQ(other.out, help.out);
    }
    EXPECT_TRUE(NothingInstalled());
}

TEST_F(HalvornCommandLineTest, VersionWinsOverDaemonAndQuit) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--version"}, {"--version", "-d"}, {"-q", "--version"}, {"-d", "-q", "--version"}}) {
        const Outcome version = Halvorn(arguments);
        EXPECT_TRUE(version.Exited(0));
        EXPECT_EQ(version.out, "Version: 11.9.28\n");
        EXPECT_EQ(version.err, "");
    }
    EXPECT_TRUE(NothingInstalled());
}

TEST_F(HalvornCommandLineTest, BadOptionsEndWithLibraryMessage) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "unrecognised option '--bogus'\n"},
        {{"-d", "--port", "abc"}, "the argument ('abc') for option '--port' is invalid\n"},
        {{"--port", "65536"}, "the argument ('65536') for option '--port' is invalid\n"},
        {{"--max-x", "wide"}, "the argument ('wide') for option '--max-x' is invalid\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const Outcome bad = Halvorn(arguments);
        EXPECT_TRUE(bad.Exited(1)) << arguments.front();
        EXPECT_EQ(bad.err, message);
        EXPECT_EQ(bad.out, "");
    }
    EXPECT_TRUE(NothingInstalled());
}

TEST_F(HalvornCommandLineTest, DaemonInstallsReinstallsAndQuitRemoves) {
    const std::string list = (root / "my list" / "Service List.xml").string();
    const Outcome install = Halvorn({"--daemon", "--max-x", "1920", "--max-y", "1080", "--port",
                                     "5000", "--service-list", list});
    EXPECT_TRUE(install.Exited(0));
    EXPECT_EQ(install.err, "");
    EXPECT_EQ(install.out.rfind(kBanner, 0), 0u) << install.out;
    EXPECT_EQ(std::count(install.out.begin(), install.out.end(), '\n'), 1) << install.out;

    EXPECT_EQ(
        ExecStartLine(),
        "ExecStart=\"" + exe +
            "\" \"--web-root\" \"web/\" \"--dev-desc\" \"TvDevice.xml\" \"--service-list\" \"" +
            list + "\" \"--max-x\" \"1920\" \"--max-y\" \"1080\" \"--port\" \"5000\"");
    EXPECT_EQ(Calls(), (std::vector<std::string>{"daemon-reload", "enable Halvorn.service",
                                                 "start Halvorn.service"}));
    if (fs::exists("/usr/bin/systemd-analyze")) {
        const Outcome verify = RunProgram({"/usr/bin/systemd-analyze", "verify", Unit().string()});
        EXPECT_TRUE(verify.Exited(0)) << verify.out << verify.err;
    }

    const Outcome again = Halvorn({"-d", "--port", "6000", "--max-x", "1280"});
    EXPECT_TRUE(again.Exited(0));
    EXPECT_EQ(again.out.rfind(kBanner, 0), 0u) << again.out;
    EXPECT_NE(ExecStartLine().find("\"--max-x\" \"1280\" \"--max-y\" \"0\" \"--port\" \"6000\""),
              std::string::npos)
        << ExecStartLine();
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "daemon-reload", "enable Halvorn.service", "start Halvorn.service",
                           "stop Halvorn.service", "disable Halvorn.service", "daemon-reload",
                           "daemon-reload", "enable Halvorn.service", "start Halvorn.service"}));

    const Outcome quit = Halvorn({"--quit"});
    EXPECT_TRUE(quit.Exited(0));
    EXPECT_EQ(quit.out.rfind(kBanner, 0), 0u) << quit.out;
    EXPECT_EQ(std::count(quit.out.begin(), quit.out.end(), '\n'), 1) << quit.out;
    EXPECT_FALSE(fs::exists(Unit()));
    const std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"stop Halvorn.service", "disable Halvorn.service",
                                        "daemon-reload"}));
}

TEST_F(HalvornCommandLineTest, QuitWithNothingInstalledIsSilent) {
    const Outcome quit = Halvorn({"-q"});
    EXPECT_TRUE(quit.Exited(0));
    EXPECT_EQ(quit.err, "");
    EXPECT_EQ(quit.out.rfind(kBanner, 0), 0u) << quit.out;
    EXPECT_EQ(std::count(quit.out.begin(), quit.out.end(), '\n'), 1) << quit.out;
    EXPECT_TRUE(NothingInstalled());
}

}  // namespace
