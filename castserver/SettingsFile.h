#pragma once
// "PCBriskenServer.ini", section "SET": the integer keys "autorun" and
// "closetosystray" (missing: 0; written as "1" or "0").
#include <QString>

struct AppSettings {
    bool autorun = false;
    bool closetosystray = false;
};

namespace settingsfile {

AppSettings Read(const QString& path);
// False (logged) when the file cannot be written.
bool Write(const QString& path, const AppSettings& settings);

}  // namespace settingsfile
