#include "common/ApiGate.h"

#include <pthread.h>

namespace {

// glibc's default read-write lock prefers readers: hosts that keep calling
// from a few threads would starve DLNA_Finalize for as long as they do.
// Calls that start while Finalize waits queue behind it instead.
class WriterFirstLock {
public:
    WriterFirstLock() {
        pthread_rwlockattr_t attributes;
        pthread_rwlockattr_init(&attributes);
        pthread_rwlockattr_setkind_np(&attributes,
                                      PTHREAD_RWLOCK_PREFER_WRITER_NONRECURSIVE_NP);
        pthread_rwlock_init(&lock_, &attributes);
        pthread_rwlockattr_destroy(&attributes);
    }
    void lock_shared() { pthread_rwlock_rdlock(&lock_); }
    void unlock_shared() { pthread_rwlock_unlock(&lock_); }
    void lock() { pthread_rwlock_wrlock(&lock_); }
    void unlock() { pthread_rwlock_unlock(&lock_); }

private:
    pthread_rwlock_t lock_;
};

WriterFirstLock& Gate() {
    // Never destroyed: a host thread may still call in at exit.
    static auto* gate = new WriterFirstLock();
    return *gate;
}

thread_local int call_depth = 0;
thread_local int callback_depth = 0;

}  // namespace

ApiGate::Call::Call() {
    // Nested calls, and calls from inside the callback, run under the gate
    // (or the wait) of what raised them; taking it again could wait for a
    // Finalize that waits for this very thread.
    if (call_depth++ == 0 && callback_depth == 0) {
        Gate().lock_shared();
        holds_ = true;
    }
}

ApiGate::Call::~Call() {
    --call_depth;
    if (holds_) Gate().unlock_shared();
}

ApiGate::Exclusive::Exclusive() { Gate().lock(); }
ApiGate::Exclusive::~Exclusive() { Gate().unlock(); }

ApiGate::CallbackScope::CallbackScope() { ++callback_depth; }
ApiGate::CallbackScope::~CallbackScope() { --callback_depth; }

bool ApiGate::InCallback() { return callback_depth > 0; }
