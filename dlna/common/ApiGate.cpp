#include "common/ApiGate.h"

namespace {

std::shared_mutex& Gate() {
    // Never destroyed: a host thread may still call in at exit.
    static auto* gate = new std::shared_mutex();
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
