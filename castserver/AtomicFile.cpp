#include "AtomicFile.h"

#include <QSaveFile>

#include "CastLog.h"

bool WriteFileAtomically(const QString& path, const QByteArray& text, const char* what) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    CastLog(CastLogLevel::Error) << "Cannot write the " << what << " " << path << ": "
                                 << file.errorString();
    return false;
}
