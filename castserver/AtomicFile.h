#pragma once
#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `text` through a new file renamed over
// it, so readers see the old or the new content, never a part. False, logged
// with `what` and the reason, on failure.
bool WriteFileAtomically(const QString& path, const QByteArray& text, const char* what);
