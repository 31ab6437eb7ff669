#pragma once
// Text handed to the host lives on the C heap: the host gives it back to the
// library's free functions, which release it with free().
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

// A malloc'ed copy; throws std::bad_alloc when memory runs out.
inline char* DupString(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// Frees and clears one string field.
inline void FreeString(char*& text) {
    std::free(text);
    text = nullptr;
}

// A host's possibly null text.
inline std::string TextOf(const char* text) { return text ? text : ""; }
