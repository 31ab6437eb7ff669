#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>

#include "CastLog.h"

SingleInstance::SingleInstance(const QString& lock_path) : lock_(lock_path) {
    // Never stale by age: a running instance keeps its lock however long it
    // runs; only a dead holder's lock is taken over.
    lock_.setStaleLockTime(0);
    QDir().mkpath(QFileInfo(lock_path).absolutePath());
    acquired_ = lock_.tryLock(0);
    if (!acquired_ && lock_.error() != QLockFile::LockFailedError) {
        // No way to tell whether another instance runs: better two than none.
        CastLog(CastLogLevel::Warning) << "Cannot take the instance lock " << lock_path;
        acquired_ = true;
    }
}
