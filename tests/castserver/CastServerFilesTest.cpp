// The files the screen-cast server reads and writes: the service list from
// the key store, the folder list, the settings, the autostart entry; and
// the MIME rule it shares folders by.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "Autostart.h"
#include "FolderListFile.h"
#include "MediaTypes.h"
#include "RegistryStore.h"
#include "ServiceListFile.h"
#include "SettingsFile.h"
#include "Splashtop.h"

using testing::HasSubstr;

namespace {

const QString kData = HALVORN_TEST_DATA "/castserver/";

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QByteArray ServiceListFrom(const RegistryStore& registry) {
    const splashtop::Settings settings = splashtop::ReadSettings(registry);
    return servicelist::Text(settings.port, settings.password);
}

class CastServerFiles : public testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(name); }
};

}  // namespace

TEST_F(CastServerFiles, ServiceListHoldsSplashtopOnlyWithBothValues) {
    // A first run's key store has every value commented out.
    ASSERT_TRUE(splashtop::WriteRegistryTemplate(Path("Registry.ini")));
    EXPECT_EQ(ServiceListFrom(RegistryStore::Load(Path("Registry.ini"))),
              "<ServiceList>\r\n</ServiceList>\r\n");
    EXPECT_EQ(ServiceListFrom(RegistryStore::Load(Path("missing.ini"))),
              "<ServiceList>\r\n</ServiceList>\r\n");
    const RegistryStore port_only = RegistryStore::Parse(
        "[HKEY_CURRENT_USER\\Software\\Splashtop Inc.\\Splashtop Remote Server]\nPort=6783\n"
        "PW=00ff\n");
    EXPECT_EQ(ServiceListFrom(port_only), "<ServiceList>\r\n</ServiceList>\r\n");
}

TEST_F(CastServerFiles, PasswordBytesBecomeTwoLowercaseDigitsEach) {
    // Zero byte, a byte below 16, a high byte; the installer's own spelling
    // of the key path and a dword port.
    const RegistryStore registry = RegistryStore::Load(kData + "Registry-splashtop.ini");
    EXPECT_EQ(ServiceListFrom(registry), ReadAll(kData + "ServiceList-splashtop.xml"));

    ASSERT_TRUE(servicelist::Write(Path("ServiceList.xml"), ServiceListFrom(registry)));
    EXPECT_EQ(ReadAll(Path("ServiceList.xml")), ReadAll(kData + "ServiceList-splashtop.xml"));
    ASSERT_TRUE(servicelist::Write(Path("ServiceList.xml"), ServiceListFrom({})));
    EXPECT_EQ(ReadAll(Path("ServiceList.xml")), "<ServiceList>\r\n</ServiceList>\r\n");

    const auto image_path = splashtop::ReadImagePath(registry);
    ASSERT_TRUE(image_path);
    EXPECT_EQ(splashtop::Directory(image_path), "/opt/splashtop/Splashtop Remote/Server");
    EXPECT_EQ(splashtop::Directory(std::nullopt), splashtop::kDefaultDirectory);
}

TEST(CastServerMimeTypes, ExtensionPicksTheTable) {
    EXPECT_EQ(sharing::MimeTypeFor("a.MP3"), "audio/mpeg");
    EXPECT_EQ(sharing::MimeTypeFor("b.wmv"), "video/x-msvideo");
    EXPECT_EQ(sharing::MimeTypeFor("c.jpg"), "image/jpeg");
    // The types DLNA profiles pair with, not video/mpeg for every MP4.
    EXPECT_EQ(sharing::MimeTypeFor("e.mp4"), "video/mp4");
    EXPECT_EQ(sharing::MimeTypeFor("f.m4a"), "audio/mp4");
    EXPECT_EQ(sharing::MimeTypeFor("g.ts"), "video/mpeg");
    EXPECT_EQ(sharing::MimeTypeFor("d.txt"), "");
}

TEST_F(CastServerFiles, FolderListSavedTwiceHoldsOneCopy) {
    EXPECT_TRUE(folderlist::Read(Path("path.txt")).isEmpty());
    const QStringList folders{"Splashtop Sserver direct @ /opt/x", "", "/home/u/视频",
                              "/srv/music"};
    ASSERT_TRUE(folderlist::Save(Path("path.txt"), folders));
    ASSERT_TRUE(folderlist::Save(Path("path.txt"), folders));
    EXPECT_EQ(ReadAll(Path("path.txt")),
              "Splashtop Sserver direct @ /opt/x\n/home/u/视频\n/srv/music\n");
    EXPECT_EQ(folderlist::Read(Path("path.txt")),
              (QStringList{"Splashtop Sserver direct @ /opt/x", "/home/u/视频", "/srv/music"}));
    // The new list was renamed into place: nothing else is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"path.txt"});

    QFile windows(Path("windows.txt"));
    ASSERT_TRUE(windows.open(QIODevice::WriteOnly));
    windows.write("C:\\a\r\n\r\nD:\\b");
    windows.close();
    EXPECT_EQ(folderlist::Read(Path("windows.txt")), (QStringList{"C:\\a", "", "D:\\b"}));
}

TEST_F(CastServerFiles, SettingsDefaultToZeroAndAreWrittenAsDigits) {
    const AppSettings none = settingsfile::Read(Path("PCBriskenServer.ini"));
    EXPECT_FALSE(none.autorun);
    EXPECT_FALSE(none.closetosystray);

    ASSERT_TRUE(settingsfile::Write(Path("PCBriskenServer.ini"), {true, false}));
    const QByteArray text = ReadAll(Path("PCBriskenServer.ini"));
    EXPECT_THAT(text.toStdString(), HasSubstr("[SET]"));
    EXPECT_THAT(text.toStdString(), HasSubstr("autorun=1"));
    EXPECT_THAT(text.toStdString(), HasSubstr("closetosystray=0"));
    const AppSettings read = settingsfile::Read(Path("PCBriskenServer.ini"));
    EXPECT_TRUE(read.autorun);
    EXPECT_FALSE(read.closetosystray);

    QFile hand(Path("hand.ini"));
    ASSERT_TRUE(hand.open(QIODevice::WriteOnly));
    hand.write("[SET]\nautorun=0\nclosetosystray=2\n");
    hand.close();
    EXPECT_TRUE(settingsfile::Read(Path("hand.ini")).closetosystray);
}

TEST_F(CastServerFiles, AutostartEntryQuotesTheExecutable) {
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", dir.path().toUtf8().constData(), 1), 0);
    const QString entry = autostart::EntryPath();
    EXPECT_EQ(entry, dir.path() + "/autostart/PCBriskenServer.desktop");

    ASSERT_TRUE(autostart::Write(entry, "/opt/my apps/100%/$HOME/PCBriskenServer"));
    const std::string text = ReadAll(entry).toStdString();
    EXPECT_THAT(text, testing::StartsWith("[Desktop Entry]\n"));
    EXPECT_THAT(text, HasSubstr("\nType=Application\n"));
    EXPECT_THAT(text, HasSubstr("\nExec=\"/opt/my apps/100%%/\\\\$HOME/PCBriskenServer\"\n"));

    EXPECT_TRUE(autostart::Remove(entry));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_TRUE(autostart::Remove(entry));
    unsetenv("XDG_CONFIG_HOME");
}
