#pragma once
// "path.txt": one folder per line, UTF-8.
#include <QString>
#include <QStringList>

namespace folderlist {

// The lines in file order; a missing file gives an empty list.
QStringList Read(const QString& path);

// Replaces the file with the non-empty entries, one per line, through a new
// file renamed over the old one, so a crash never leaves half a list. False
// (logged) on failure.
bool Save(const QString& path, const QStringList& folders);

}  // namespace folderlist
