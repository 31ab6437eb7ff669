#include "SettingsFile.h"

#include <QSettings>

#include "CastLog.h"

namespace settingsfile {

AppSettings Read(const QString& path) {
    QSettings ini(path, QSettings::IniFormat);
    AppSettings settings;
    settings.autorun = ini.value("SET/autorun", 0).toInt() != 0;
    settings.closetosystray = ini.value("SET/closetosystray", 0).toInt() != 0;
    return settings;
}

bool Write(const QString& path, const AppSettings& settings) {
    QSettings ini(path, QSettings::IniFormat);
    ini.setValue("SET/autorun", settings.autorun ? "1" : "0");
    ini.setValue("SET/closetosystray", settings.closetosystray ? "1" : "0");
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        CastLog(CastLogLevel::Error) << "Cannot write the settings file " << path;
        return false;
    }
    return true;
}

}  // namespace settingsfile
