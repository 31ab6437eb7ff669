#pragma once
// No C++ exception crosses the library's interface, and no exported call
// runs while DLNA_Finalize tears down: every exported function runs its body
// through Guarded.
#include <exception>
#include <type_traits>

#include "common/ApiGate.h"
#include "common/DlnaLog.h"

// The body's exceptions, logged, become `failure`.
template <class F, class R = std::invoke_result_t<F>>
R Shielded(const char* function, R failure, F&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& error) {
        try {
            LogLine(DlnaLog(), LogLevel::Error) << function << ": " << error.what();
        } catch (...) {
        }
    } catch (...) {
        try {
            LogLine(DlnaLog(), LogLevel::Error) << function << ": unknown exception";
        } catch (...) {
        }
    }
    return failure;
}

template <class F, class R = std::invoke_result_t<F>>
R Guarded(const char* function, R failure, F&& body) noexcept {
    return Shielded(function, failure, [&]() -> R {
        ApiGate::Call call;
        return body();
    });
}

template <class F>
void GuardedVoid(const char* function, F&& body) noexcept {
    Guarded(function, 0, [&] {
        body();
        return 0;
    });
}
