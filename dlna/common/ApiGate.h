#pragma once
// Exported calls against DLNA_Finalize. Every exported call holds the gate
// shared for its whole run, DLNA_Finalize holds it alone, so nothing
// Finalize tears down is still in use and no call starts until it is done.
//
// A call the host makes from inside its callback passes without the gate:
// the event came either from an exported call that holds it already, or
// from a libupnp or control-point thread, which Finalize stops and waits
// for before it tears anything down. Calls that start while Finalize waits
// wait for it, so a stream of calls cannot hold it off.

class ApiGate {
public:
    // One exported call; only the outermost on a thread takes the gate.
    class Call {
    public:
        Call();
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        bool holds_ = false;
    };

    // DLNA_Finalize: waits until no exported call runs.
    class Exclusive {
    public:
        Exclusive();
        ~Exclusive();
        Exclusive(const Exclusive&) = delete;
        Exclusive& operator=(const Exclusive&) = delete;
    };

    // While the host's callback runs on this thread.
    class CallbackScope {
    public:
        CallbackScope();
        ~CallbackScope();
        CallbackScope(const CallbackScope&) = delete;
        CallbackScope& operator=(const CallbackScope&) = delete;
    };
    static bool InCallback();
};
