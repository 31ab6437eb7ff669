#include "FolderListFile.h"

#include <QFile>

#include "AtomicFile.h"

namespace folderlist {

QStringList Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList folders;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        folders << QString::fromUtf8(line);
    }
    return folders;
}

bool Save(const QString& path, const QStringList& folders) {
    QByteArray text;
    for (const QString& folder : folders)
        if (!folder.isEmpty()) text += folder.toUtf8() + '\n';
    return WriteFileAtomically(path, text, "folder list");
}

}  // namespace folderlist
