#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "AtomicFile.h"
#include "CastLog.h"

namespace autostart {

namespace {

// The Exec key's quoting (Desktop Entry Specification): the path in double
// quotes with ", `, $ and \ escaped by a backslash, "%" doubled; then the
// string-value escape doubles every backslash again.
QString ExecValue(const QString& executable) {
    QString quoted = "\"";
    for (const QChar c : executable) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += QString("\\") + c;
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    quoted += '"';
    return quoted.replace("\\", "\\\\");
}

}  // namespace

QString EntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/autostart/PCBriskenServer.desktop";
}

QByteArray Entry(const QString& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Qelvar Pelmora移屏服务器\n"
           "Exec=" +
           ExecValue(executable).toUtf8() +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool Write(const QString& entry_path, const QString& executable) {
    QDir().mkpath(QFileInfo(entry_path).absolutePath());
    return WriteFileAtomically(entry_path, Entry(executable), "autostart entry");
}

bool Remove(const QString& entry_path) {
    QFile file(entry_path);
    if (!file.exists() || file.remove()) return true;
    CastLog(CastLogLevel::Error) << "Cannot remove the autostart entry " << entry_path << ": "
                                 << file.errorString();
    return false;
}

}  // namespace autostart
