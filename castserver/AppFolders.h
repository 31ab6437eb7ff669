#pragma once
// Where the application's files live. The program's own folder (read-only
// once installed) holds the program, the receiver, web/ and image/; what the
// application writes, and what an installer or the user may fill in, lives
// in the user's configuration folder.
#include <QString>

struct AppFolders {
    QString program;  // folder of the executable
    QString config;   // <XDG config home>/PCBriskenServer
    QString cache;    // <XDG cache home>/PCBriskenServer: crash reports
    QString runtime;  // <XDG runtime dir>: the single-instance lock

    // Needs a QCoreApplication (for the program's folder).
    static AppFolders ForThisProgram();
    // Valid before any QCoreApplication exists.
    static QString CacheFolder();
    static QString ConfigFolder();

    QString SettingsFile() const { return config + "/PCBriskenServer.ini"; }
    QString FolderListFile() const { return config + "/path.txt"; }
    QString ServiceListFile() const { return config + "/ServiceList.xml"; }
    QString RegistryFile() const { return config + "/Registry.ini"; }
    QString LockFile() const { return runtime + "/PCBriskenServer.lock"; }

    QString Executable() const { return program + "/PCBriskenServer"; }
    QString Receiver() const { return program + "/Halvorn"; }
    QString Description() const { return program + "/web/DMS.xml"; }
    QString ImageFolder() const { return program + "/image"; }
};
