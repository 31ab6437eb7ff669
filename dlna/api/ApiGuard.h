#pragma once
// No C++ exception crosses the library's interface: every exported function
// runs its body through Guarded.
#include <exception>
#include <type_traits>

#include "DlnaLog.h"

template <class F, class R = std::invoke_result_t<F>>
R Guarded(const char* function, R failure, F&& body) noexcept {
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

template <class F>
void GuardedVoid(const char* function, F&& body) noexcept {
    Guarded(function, 0, [&] {
        body();
        return 0;
    });
}
