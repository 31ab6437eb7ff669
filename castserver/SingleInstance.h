#pragma once
// One application per user: a lock file in the runtime folder. The lock
// names the holder's process, so one left behind by a crashed instance is
// recognised as stale and taken over.
#include <QLockFile>
#include <QString>

class SingleInstance {
public:
    explicit SingleInstance(const QString& lock_path);
    // False when another instance holds the lock.
    bool Acquired() const { return acquired_; }

private:
    QLockFile lock_;
    bool acquired_ = false;
};
