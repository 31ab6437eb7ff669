#pragma once
// One body per fuzz target. Under libFuzzer (the clang fuzz build) the body
// is LLVMFuzzerTestOneInput; in the unit build the same body is registered by
// name, and the replay test runs every seed and every stored crash through it.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

using FuzzEntry = void (*)(const uint8_t* data, size_t size);

// A property of the code under test does not hold for this input: a crash
// under libFuzzer (so the input is kept), a test failure in the replay.
void FuzzCheckFailed(const char* condition, const char* file, int line);
#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : FuzzCheckFailed(#condition, __FILE__, __LINE__))

std::map<std::string, FuzzEntry>& FuzzTargets();
bool RegisterFuzzTarget(const char* name, FuzzEntry entry);

#ifdef HALVORN_LIBFUZZER
#define HALVORN_FUZZ_TARGET(name)                                             \
    static void FuzzBody_##name(const uint8_t*, size_t);                      \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        FuzzBody_##name(data, size);                                          \
        return 0;                                                             \
    }                                                                         \
    static void FuzzBody_##name(const uint8_t* data, size_t size)
#else
#define HALVORN_FUZZ_TARGET(name)                               \
    static void FuzzBody_##name(const uint8_t*, size_t);        \
    [[maybe_unused]] static const bool fuzz_registered_##name = \
        RegisterFuzzTarget(#name, &FuzzBody_##name);            \
    static void FuzzBody_##name(const uint8_t* data, size_t size)
#endif
