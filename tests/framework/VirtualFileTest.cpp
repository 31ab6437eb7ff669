#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <UpnpExtraHeaders.h>

#include "UpnpFile.h"
#include "VirtualFileRegistry.h"

namespace fs = std::filesystem;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + i % 26);
    return data;
}

std::string ReadRest(UpnpFileInterface& file) {
    std::string text;
    char buffer[333];
    for (int n; (n = file.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    return text;
}

class TempFile {
public:
    explicit TempFile(const std::string& content) {
        path_ = fs::temp_directory_path() /
                ("halvorn-vf-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TempFile() { fs::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    fs::path path_;
    static inline int counter_ = 0;
};

class RegistryTest : public testing::Test {
protected:
    void TearDown() override { VirtualFileRegistry::Destroy(); }
    VirtualFileRegistry& registry = VirtualFileRegistry::Instance();
};

}  // namespace

TEST(MemoryFile, ReadsInChunksThenRemainderThenZero) {
    const std::string data = Pattern(2500);
    auto buffer = std::make_shared<std::vector<char>>(data.begin(), data.end());
    UpnpMemoryFile file(buffer, data.size());
    char chunk[1000];
    EXPECT_EQ(file.Read(chunk, 1000), 1000);
    EXPECT_EQ(file.Read(chunk, 1000), 1000);
    EXPECT_EQ(file.Read(chunk, 1000), 500);
    EXPECT_EQ(std::string(chunk, 500), data.substr(2000));
    EXPECT_EQ(file.Read(chunk, 1000), 0);
}

TEST(MemoryFile, SeeksFromEveryOriginClampedToTheContent) {
    const std::string data = Pattern(100);
    auto buffer = std::make_shared<std::vector<char>>(data.begin(), data.end());
    UpnpMemoryFile file(buffer, data.size());

    EXPECT_EQ(file.Seek(10, SEEK_SET), 0);
    EXPECT_EQ(file.Position(), 10u);
    EXPECT_EQ(file.Seek(5, SEEK_CUR), 0);
    EXPECT_EQ(file.Position(), 15u);
    EXPECT_EQ(file.Seek(-20, SEEK_CUR), 0);
    EXPECT_EQ(file.Position(), 0u);
    EXPECT_EQ(file.Seek(-10, SEEK_END), 0);
    EXPECT_EQ(file.Position(), 90u);
    char chunk[50];
    EXPECT_EQ(file.Read(chunk, sizeof chunk), 10);
    EXPECT_EQ(std::string(chunk, 10), data.substr(90));

    // Beyond the end stays at the end; before the start stays at the start.
    EXPECT_EQ(file.Seek(500, SEEK_SET), 0);
    EXPECT_EQ(file.Position(), 100u);
    EXPECT_EQ(file.Read(chunk, sizeof chunk), 0);
    EXPECT_EQ(file.Seek(-5, SEEK_SET), 0);
    EXPECT_EQ(file.Position(), 0u);
    EXPECT_EQ(file.Seek(INT64_MAX, SEEK_CUR), 0);
    EXPECT_EQ(file.Position(), 100u);
    EXPECT_EQ(file.Seek(0, 7), -1);
    EXPECT_EQ(file.Write("x", 1), -1);
}

TEST(DiscFile, ReadsSeeksAndRefusesWrites) {
    const std::string data = Pattern(5000);
    TempFile temp(data);
    UpnpDiscFile file(temp.path());
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Seek(4990, SEEK_SET), 0);
    EXPECT_EQ(ReadRest(file), data.substr(4990));
    EXPECT_EQ(file.Seek(-100, SEEK_END), 0);
    EXPECT_EQ(file.Seek(50, SEEK_CUR), 0);
    EXPECT_EQ(ReadRest(file), data.substr(4950));
    EXPECT_EQ(file.Seek(-1, SEEK_SET), -1);
    EXPECT_EQ(file.Write("x", 1), -1);

    UpnpDiscFile missing("/nonexistent/halvorn/file");
    EXPECT_FALSE(missing.IsOpen());
    char c;
    EXPECT_EQ(missing.Read(&c, 1), 0);
}

TEST_F(RegistryTest, RegisteringAPathAgainReplacesItsEntry) {
    // A re-created device must serve its new description, not the old one.
    const std::string first = "<first/>", second = "<second/>";
    registry.AddMemoryFile("/tmp/a.xml", "/description.xml", "text/xml", 1234, first.data(),
                           first.size());
    registry.AddMemoryFile("/tmp/b.xml", "/description.xml", "text/plain", 99, second.data(),
                           second.size());
    EXPECT_EQ(registry.Size(), 1u);
    UpnpFileInfo* info = UpnpFileInfo_new();
    ASSERT_TRUE(registry.GetInfo("/description.xml", info));
    EXPECT_EQ(UpnpFileInfo_get_FileLength(info), static_cast<off_t>(second.size()));
    EXPECT_EQ(UpnpFileInfo_get_LastModified(info), 99);
    EXPECT_STREQ(UpnpFileInfo_get_ContentType(info), "text/plain");
    EXPECT_EQ(UpnpFileInfo_get_IsReadable(info), 1);
    EXPECT_EQ(UpnpFileInfo_get_IsDirectory(info), 0);
    EXPECT_FALSE(registry.GetInfo("/DESCRIPTION.xml", info));
    UpnpFileInfo_delete(info);

    auto file = registry.Open("/description.xml", UPNP_READ);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadRest(*file), second);
    EXPECT_FALSE(registry.Open("/missing.xml", UPNP_READ));
    // The replaced entry is no longer found by its file either.
    EXPECT_FALSE(registry.OpenByPath("/tmp/a.xml", UPNP_READ));
}

TEST_F(RegistryTest, RemovesTheEarliestEntryForAFileAndWhatAnOwnerRegistered) {
    TempFile media("media"), scpd("<scpd/>");
    const int device = 0;
    registry.AddDiscFile(media.path(), "/share/4.mp3", "audio/mpeg");
    registry.AddDiscFile(media.path(), "/share/5.mp3", "audio/mpeg");
    registry.AddDiscFile(scpd.path(), "/Service.xml", "text/xml", &device);
    registry.Remove(media.path());
    EXPECT_FALSE(registry.Open("/share/4.mp3", UPNP_READ));
    EXPECT_TRUE(registry.Open("/share/5.mp3", UPNP_READ));

    registry.RemoveOwnedBy(&device);
    EXPECT_FALSE(registry.Open("/Service.xml", UPNP_READ));
    EXPECT_EQ(registry.Size(), 1u);
}

TEST_F(RegistryTest, AFileGoneFromDiskIsStillRemovedByItsPath) {
    auto media = std::make_unique<TempFile>("media");
    const std::string path = media->path();
    registry.AddDiscFile(path, "/share/4.mp3", "audio/mpeg");
    media.reset();
    registry.Remove(path);
    EXPECT_EQ(registry.Size(), 0u);
}

TEST_F(RegistryTest, OpenFileSurvivesReplacementOfItsEntry) {
    TempFile disk("on disk");
    const std::string old_text = "old content", new_text = "new";
    registry.AddMemoryFile(disk.path(), "/description.xml", "text/xml", 0, old_text.data(),
                           old_text.size());
    auto running = registry.Open("/description.xml", UPNP_READ);
    ASSERT_TRUE(running);
    registry.Remove(disk.path());
    registry.AddMemoryFile(disk.path(), "/description.xml", "text/xml", 0, new_text.data(),
                           new_text.size());
    EXPECT_EQ(ReadRest(*running), old_text);
    auto fresh = registry.OpenByPath(disk.path(), UPNP_READ);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(ReadRest(*fresh), new_text);
    EXPECT_EQ(registry.Size(), 1u);
}

TEST_F(RegistryTest, RemoveMatchesTheSameFileNotTheSameText) {
    TempFile disk("x");
    const std::string text = "x";
    registry.AddMemoryFile(disk.path(), "/one.xml", "text/xml", 0, text.data(), text.size());
    // Another spelling of the same path still names the same file.
    fs::path dotted = fs::path(disk.path()).parent_path() / "." / fs::path(disk.path()).filename();
    registry.Remove(dotted.string());
    EXPECT_EQ(registry.Size(), 0u);
    registry.Remove("/nonexistent/file");  // nothing to remove, nothing happens
}

TEST_F(RegistryTest, DiscFileDeletedAfterRegistrationIsNotServed) {
    auto disk = std::make_unique<TempFile>("<scpd/>");
    registry.AddDiscFile(disk->path(), "/Service.xml", "text/xml");
    UpnpFileInfo* info = UpnpFileInfo_new();
    EXPECT_TRUE(registry.GetInfo("/Service.xml", info));
    std::string path = disk->path();
    disk.reset();
    EXPECT_FALSE(registry.GetInfo("/Service.xml", info));
    UpnpFileInfo_delete(info);
    CaptureStderr();
    EXPECT_FALSE(registry.Open("/Service.xml", UPNP_READ));
    EXPECT_NE(GetCapturedStderr().find("fopen rb failed: " + path), std::string::npos);
}

TEST_F(RegistryTest, AGuardDecidesForItsPrefixAlone) {
    std::vector<std::string> asked;
    registry.SetAccessGuard("/share/", [&](const std::string& path, const std::string& client) {
        asked.push_back(path + " " + client);
        return client == "198.51.100.2";
    });
    sockaddr_storage v4{};
    auto* in = reinterpret_cast<sockaddr_in*>(&v4);
    in->sin_family = AF_INET;
    inet_pton(AF_INET, "198.51.100.7", &in->sin_addr);
    sockaddr_storage v6{};
    v6.ss_family = AF_INET6;

    EXPECT_TRUE(registry.MayServe("/description.xml", &v4));
    EXPECT_TRUE(registry.MayServe("/share", &v4));
    EXPECT_FALSE(registry.MayServe("/share/1.mp3", &v4));
    EXPECT_FALSE(registry.MayServe("/share/1.mp3", &v6));
    EXPECT_FALSE(registry.MayServe("/share/1.mp3", nullptr));
    inet_pton(AF_INET, "198.51.100.2", &in->sin_addr);
    EXPECT_TRUE(registry.MayServe("/share/1.mp3", &v4));
    EXPECT_EQ(asked, (std::vector<std::string>{"/share/1.mp3 198.51.100.7", "/share/1.mp3 ",
                                               "/share/1.mp3 ", "/share/1.mp3 198.51.100.2"}));

    registry.SetAccessGuard("/share/", nullptr);
    inet_pton(AF_INET, "198.51.100.7", &in->sin_addr);
    EXPECT_TRUE(registry.MayServe("/share/1.mp3", &v4));
}

// libupnp sends back the extra headers that carry a response line; the
// request's own (name and value only) must stay unsent.
TEST_F(RegistryTest, ResponseHeadersSeeTheRequestsAndAreAppendedAsResponseLines) {
    VirtualFileRegistry::Headers seen;
    registry.SetResponseHeaders("/share/", [&](const std::string& path, const std::string& type,
                                               const VirtualFileRegistry::Headers& request) {
        seen = request;
        return VirtualFileRegistry::Headers{{"X-Path", path}, {"X-Type", type}};
    });
    UpnpFileInfo* info = UpnpFileInfo_new();
    UpnpFileInfo_set_ContentType(info, const_cast<char*>("audio/mpeg"));
    auto* list = const_cast<UpnpListHead*>(UpnpFileInfo_get_ExtraHeadersList(info));
    UpnpExtraHeaders* asked = UpnpExtraHeaders_new();
    UpnpExtraHeaders_strcpy_name(asked, "getcontentFeatures.dlna.org");
    UpnpExtraHeaders_strcpy_value(asked, "1");
    UpnpListInsert(list, UpnpListEnd(list),
                   const_cast<UpnpListHead*>(UpnpExtraHeaders_get_node(asked)));

    registry.AddResponseHeaders("/description.xml", info);
    EXPECT_TRUE(seen.empty());
    registry.AddResponseHeaders("/share/4.mp3", info);
    EXPECT_EQ(seen, (VirtualFileRegistry::Headers{{"getcontentFeatures.dlna.org", "1"}}));

    std::vector<std::string> lines;
    for (UpnpListIter pos = UpnpListBegin(list); pos != UpnpListEnd(list);) {
        auto* extra = reinterpret_cast<UpnpExtraHeaders*>(pos);
        const char* resp = UpnpExtraHeaders_get_resp_cstr(extra);
        lines.push_back(resp ? resp : "(none)");
        pos = UpnpListErase(list, pos);
        UpnpExtraHeaders_delete(extra);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"(none)", "X-Path: /share/4.mp3",
                                               "X-Type: audio/mpeg"}));
    UpnpFileInfo_delete(info);
    registry.SetResponseHeaders("/share/", nullptr);
}
