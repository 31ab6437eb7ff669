// The systemd binding against a throw-away unit directory and a fake
// systemctl; systemd-analyze judges the units written.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "ServiceManager.h"
#include "ServiceTestTools.h"

namespace {

using namespace service_test;
using platform::QuoteForSystemd;
using platform::ServiceManager;

class ServiceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(units);
        systemctl = InstallFakeSystemctl(root / "bin");
    }
    std::vector<std::string> Calls() const { return ReadLines(SystemctlLog(root / "bin")); }
    ServiceManager Manager() const { return ServiceManager(units.string(), systemctl.string()); }

    TempDir root;
    fs::path units = root / "unit dir";
    fs::path systemctl;
};

TEST(ServiceManagerDefaults, UnitDirectoryFollowsSystemdUnitPath) {
    const char* saved = getenv("SYSTEMD_UNIT_PATH");
    const std::string saved_value = saved ? saved : "";

    setenv("SYSTEMD_UNIT_PATH", "/tmp/first units:/tmp/second:", 1);
    EXPECT_EQ(ServiceManager::DefaultUnitDirectory(), "/tmp/first units");
    // An empty first entry means the built-in search path.
    setenv("SYSTEMD_UNIT_PATH", ":/tmp/second", 1);
    EXPECT_EQ(ServiceManager::DefaultUnitDirectory(), "/etc/systemd/system");
    unsetenv("SYSTEMD_UNIT_PATH");
    EXPECT_EQ(ServiceManager::DefaultUnitDirectory(), "/etc/systemd/system");

    if (saved) setenv("SYSTEMD_UNIT_PATH", saved_value.c_str(), 1);
}

TEST(QuoteForSystemdTest, EscapesWhatSystemdWouldInterpret) {
    EXPECT_EQ(QuoteForSystemd("/opt/my tv/Halvorn"), "\"/opt/my tv/Halvorn\"");
    EXPECT_EQ(QuoteForSystemd(""), "\"\"");
    EXPECT_EQ(QuoteForSystemd("a\"b\\c"), "\"a\\\"b\\\\c\"");
    // Specifiers and variables would otherwise be expanded by the manager.
    EXPECT_EQ(QuoteForSystemd("100%n"), "\"100%%n\"");
    EXPECT_EQ(QuoteForSystemd("$HOME${X}"), "\"$$HOME$${X}\"");
    // A line break would end the ExecStart= line.
    EXPECT_EQ(QuoteForSystemd("a\nb\tc"), "\"a\\x0ab\\x09c\"");
}

TEST_F(ServiceManagerTest, CreateWritesRestartingNotifyUnitAndReloads) {
    ServiceManager manager = Manager();
    EXPECT_FALSE(manager.Exists("Halvorn"));
    ASSERT_TRUE(manager.Create("Halvorn", {"/opt/my tv/100%/Halvorn", "--web-root", "web/$x"},
                               "/opt/my tv/100%"));

    EXPECT_EQ(manager.UnitPath("Halvorn"), (units / "Halvorn.service").string());
    EXPECT_TRUE(manager.Exists("Halvorn"));
    EXPECT_EQ(ReadFile(units / "Halvorn.service"),
              "[Unit]\n"
              "Description=Halvorn\n"
              "StartLimitIntervalSec=0\n"
              "\n"
              "[Service]\n"
              "Type=notify\n"
              "ExecStart=\"/opt/my tv/100%%/Halvorn\" \"--web-root\" \"web/$$x\"\n"
              "WorkingDirectory=/opt/my tv/100%%\n"
              "Restart=on-failure\n"
              "RestartSec=1\n"
              "MemoryMax=256M\n"
              "\n"
              "[Install]\n"
              "WantedBy=multi-user.target\n");
    EXPECT_EQ(Calls(), std::vector<std::string>{"daemon-reload"});
    // Nothing but the unit is left in the directory.
    EXPECT_EQ(std::distance(fs::directory_iterator(units), fs::directory_iterator()), 1);
}

TEST_F(ServiceManagerTest, CreateFailures) {
    ServiceManager missing_directory((root / "no such dir").string(), systemctl.string());
    EXPECT_FALSE(missing_directory.Create("Halvorn", {"/bin/true"}, "/"));
    EXPECT_TRUE(Calls().empty()) << "no reload without a unit";

    ServiceManager manager = Manager();
    // systemd would refuse to run these executables, or the line break would
    // smuggle in settings.
    for (const std::string executable :
         {"", "bin/true", "/bin/tr\"ue", "/bin/tr\\ue", "/bin/tr'ue", "/bin/true\n[Service]"}) {
        EXPECT_FALSE(manager.Create("Halvorn", {executable}, "/")) << executable;
    }
    EXPECT_FALSE(manager.Create("Halvorn", {}, "/"));
    EXPECT_FALSE(manager.Create("Halvorn", {"/bin/true"}, "/\nExecStartPre=/bin/false"));
    EXPECT_FALSE(manager.Exists("Halvorn"));
    EXPECT_TRUE(Calls().empty());

    std::ofstream(root / "bin" / "fail-daemon-reload").put('\n');
    EXPECT_FALSE(manager.Create("Halvorn", {"/bin/true"}, "/"));

    ServiceManager no_systemctl(units.string(), (root / "absent" / "systemctl").string());
    EXPECT_FALSE(no_systemctl.Create("Other", {"/bin/true"}, "/"));
}

TEST_F(ServiceManagerTest, RemoveDeletesUnitAndReloads) {
    ServiceManager manager = Manager();
    ASSERT_TRUE(manager.Create("Halvorn", {"/bin/true"}, "/"));
    ASSERT_TRUE(manager.Remove("Halvorn"));
    EXPECT_FALSE(manager.Exists("Halvorn"));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"daemon-reload", "daemon-reload"}));

    // A name that cannot be deleted keeps existing and fails the removal.
    fs::create_directories(units / "Stuck.service" / "inside");
    EXPECT_TRUE(manager.Exists("Stuck"));
    EXPECT_FALSE(manager.Remove("Stuck"));
    EXPECT_TRUE(manager.Exists("Stuck"));
}

TEST_F(ServiceManagerTest, VerbsGoToSystemctlInOrderWithUnitName) {
    ServiceManager manager = Manager();
    EXPECT_TRUE(manager.Stop("Halvorn"));
    EXPECT_TRUE(manager.Disable("Halvorn"));
    EXPECT_TRUE(manager.Enable("Halvorn"));
    EXPECT_TRUE(manager.Start("Halvorn"));
    std::ofstream(root / "bin" / "fail-start").put('\n');
    EXPECT_FALSE(manager.Start("Halvorn"));
    EXPECT_TRUE(manager.Enable("Halvorn"));
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"stop Halvorn.service", "disable Halvorn.service",
                                        "enable Halvorn.service", "start Halvorn.service",
                                        "start Halvorn.service", "enable Halvorn.service"}));
}

TEST_F(ServiceManagerTest, SystemdAcceptsUnitWithAwkwardPaths) {
    const fs::path analyze = "/usr/bin/systemd-analyze";
    if (!fs::exists(analyze)) GTEST_SKIP() << "systemd-analyze is not installed";

    const fs::path program_dir = root / "tv 100% $HOME";
    fs::create_directories(program_dir);
    const fs::path program = program_dir / "Hal vorn";
    fs::copy_file("/bin/true", program);
    ServiceManager manager = Manager();
    ASSERT_TRUE(manager.Create("halvorn-verify",
                               {program.string(), "--service-list", "/srv/my \"list\"\\$%.xml",
                                "--port", "5000", "line\nbreak"},
                               program_dir.string()));

    const Outcome verify =
        RunProgram({analyze.string(), "verify", manager.UnitPath("halvorn-verify")});
    EXPECT_TRUE(verify.Exited(0)) << verify.out << verify.err
                                  << ReadFile(manager.UnitPath("halvorn-verify"));
    EXPECT_EQ(verify.err.find("halvorn-verify"), std::string::npos) << verify.err;
}

}  // namespace
