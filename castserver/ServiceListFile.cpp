#include "ServiceListFile.h"

#include <QFile>

#include "AtomicFile.h"

namespace servicelist {

QByteArray Text(const std::optional<quint32>& port, const std::optional<QByteArray>& password) {
    QByteArray text = "<ServiceList>\r\n";
    if (port && password)
        text += "<Splashtop>PW=" + password->toHex() + "Port=" + QByteArray::number(*port) +
                "</Splashtop>\r\n";
    text += "</ServiceList>\r\n";
    return text;
}

bool Write(const QString& path, const QByteArray& text) {
    // The old file goes first: a list that cannot be written must not leave
    // a stale password behind.
    QFile::remove(path);
    return WriteFileAtomically(path, text, "service list");
}

}  // namespace servicelist
