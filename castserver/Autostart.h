#pragma once
// Start at login: an XDG autostart entry "PCBriskenServer.desktop" in
// <XDG config home>/autostart, whose Exec line is the full path of the
// executable.
#include <QByteArray>
#include <QString>

namespace autostart {

// <XDG config home>/autostart/PCBriskenServer.desktop
QString EntryPath();

QByteArray Entry(const QString& executable);

// False (logged) on failure. Removing an entry that does not exist succeeds.
bool Write(const QString& entry_path, const QString& executable);
bool Remove(const QString& entry_path);

}  // namespace autostart
