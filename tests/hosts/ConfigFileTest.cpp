// The key=value reader both hosts share, and the values their keys share.
#include "ConfigFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "ConfigTestSupport.h"

namespace {

std::vector<std::string> Lines(const ConfigFile& file) {
    std::vector<std::string> lines;
    for (const auto& e : file.entries())
        lines.push_back(std::to_string(e.line) + " [" + e.key + "] [" + e.value + "]");
    return lines;
}

}  // namespace

TEST(ConfigFile, ReadsKeysAndValuesSkippingCommentsAndBlankLines) {
    TempFolder folder;
    const std::string path = folder.Write(
        "a.conf",
        "# a comment\n"
        "\n"
        "  name = Kim's #1 PC  \r\n"
        "\t# indented comment\n"
        "audio_sink=fakesink sync=true\n"
        "   \n"
        "folder=/srv/My Music watch");  // no line end at the end
    ConfigFile file;
    std::string error;
    ASSERT_TRUE(file.Read(path, true, &error)) << error;
    EXPECT_EQ(Lines(file), (std::vector<std::string>{"3 [name] [Kim's #1 PC]",
                                                     "5 [audio_sink] [fakesink sync=true]",
                                                     "7 [folder] [/srv/My Music watch]"}));
    EXPECT_EQ(file.Where(file.entries()[1]), path + ":5: ");
}

TEST(ConfigFile, RefusesALineThatIsNotKeyEqualsValue) {
    const struct {
        const char* text;
        const char* error;  // after the path
    } cases[] = {
        {"name=x\nport 8200\n", ":2: expected key=value, not \"port 8200\""},
        {"  = value\n", ":1: no key before \"=\""},
        {"# c\nport=  \n", ":2: \"port\" has no value"},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        const std::string path = folder.Write("bad.conf", c.text);
        ConfigFile file;
        std::string error;
        EXPECT_FALSE(file.Read(path, true, &error)) << c.text;
        EXPECT_EQ(error, path + c.error);
    }
}

TEST(ConfigFile, AMissingFileIsEmptyUnlessRequired) {
    TempFolder folder;
    const std::string missing = (folder.path() / "none.conf").string();
    ConfigFile file;
    std::string error;
    EXPECT_TRUE(file.Read(missing, false, &error));
    EXPECT_TRUE(file.entries().empty());
    EXPECT_FALSE(file.Read(missing, true, &error));
    EXPECT_EQ(error, missing + ": no such file");
    EXPECT_FALSE(file.Read(folder.path().string(), false, &error));
    EXPECT_EQ(error, folder.path().string() + ": is a directory, not a configuration file");
    // The usual way to name no file at all.
    EXPECT_TRUE(file.Read("/dev/null", true, &error)) << error;
    if (geteuid() != 0) {  // root reads it anyway
        const std::string locked = folder.Write("locked.conf", "name=x\n", 0);
        EXPECT_FALSE(file.Read(locked, false, &error));
        EXPECT_EQ(error, locked + ": cannot read it: Permission denied");
    }
}

TEST(ConfigFile, OnceRefusesASecondValueForOneSetting) {
    TempFolder folder;
    const std::string path =
        folder.Write("a.conf", "port=1\nip=10.0.0.1\nname=a\ninterface=lo\nport=2\n");
    ConfigFile file;
    std::string error;
    ASSERT_TRUE(file.Read(path, true, &error)) << error;
    const auto& e = file.entries();
    std::string why;
    EXPECT_TRUE(file.Once("port", e[0], &why));
    EXPECT_TRUE(file.Once("ip", e[1], &why));
    EXPECT_TRUE(file.Once("name", e[2], &why));
    EXPECT_FALSE(file.Once("ip", e[3], &why));
    EXPECT_EQ(why, "interface and ip (line 2) set the same thing; keep one");
    EXPECT_FALSE(file.Once("port", e[4], &why));
    EXPECT_EQ(why, "port is given twice (line 1 too); keep one");
    // Read again: a new file, nothing given yet.
    ASSERT_TRUE(file.Read(path, true, &error));
    EXPECT_TRUE(file.Once("port", file.entries()[4], &why));
}

TEST(ConfigValue, YesNoAndPort) {
    const struct {
        const char* text;
        bool ok;
        bool value;
    } flags[] = {{"yes", true, true}, {"on", true, true},   {"1", true, true},
                 {"no", true, false}, {"false", true, false}, {"0", true, false},
                 {"Yes", false, false}, {"y", false, false}, {"", false, false}};
    for (const auto& f : flags) {
        bool value = !f.value;
        EXPECT_EQ(config_value::YesNo(f.text, &value), f.ok) << f.text;
        EXPECT_EQ(value, f.ok ? f.value : !f.value) << f.text;
    }
    const struct {
        const char* text;
        bool ok;
        uint16_t value;
    } ports[] = {{"0", true, 0},       {"8200", true, 8200}, {"65535", true, 65535},
                 {"65536", false, 0},  {"-1", false, 0},     {"+80", false, 0},
                 {"80x", false, 0},    {"", false, 0},       {"99999999999", false, 0}};
    for (const auto& p : ports) {
        uint16_t value = 7;
        EXPECT_EQ(config_value::Port(p.text, &value), p.ok) << p.text;
        EXPECT_EQ(value, p.ok ? p.value : 7) << p.text;
    }
}
