#include "AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

constexpr char kName[] = "PCBriskenServer";

}  // namespace

QString AppFolders::ConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" + kName;
}

QString AppFolders::CacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/" + kName;
}

AppFolders AppFolders::ForThisProgram() {
    AppFolders folders;
    folders.program = QCoreApplication::applicationDirPath();
    folders.config = ConfigFolder();
    folders.cache = CacheFolder();
    folders.runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folders.runtime.isEmpty()) folders.runtime = QDir::tempPath();
    return folders;
}
