#pragma once
// Failures that a function absorbs to keep its contract (no exception across a COM or thread
// boundary, a plain false or a fixed HRESULT) still leave their reason in the debugger output.
#include <windows.h>

#include <cstdio>
#include <exception>

// "<context>: <reason>" as one line; allocates nothing, so it also serves after bad_alloc.
inline void TraceFailure(const wchar_t* context, const char* reason) noexcept {
    wchar_t line[512];
    _snwprintf(line, ARRAYSIZE(line) - 1, L"%ls: %hs\n", context, reason);
    line[ARRAYSIZE(line) - 1] = L'\0';
    ::OutputDebugStringW(line);
}

inline void TraceFailure(const wchar_t* context, HRESULT hr) noexcept {
    char reason[32];
    std::snprintf(reason, sizeof(reason), "HRESULT 0x%08lX", static_cast<unsigned long>(hr));
    TraceFailure(context, reason);
}

// For a catch block: the reason is what() of the exception being handled.
inline void TraceCaughtException(const wchar_t* context) noexcept {
    const char* reason = "unknown exception";
    try {
        throw;
    } catch (const std::exception& e) {
        reason = e.what();  // the outer handler keeps the exception, and its text, alive
    } catch (...) {
    }
    TraceFailure(context, reason);
}
