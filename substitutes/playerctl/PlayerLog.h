#pragma once
// Trace of the control for tests of its host: when the environment variable TROVAPLAYER_LOG
// names a file, every method call and every raised event is appended to it as one UTF-8 line
// (LF-terminated), written through before the call goes on.
#include <string>

namespace PlayerLog {

constexpr wchar_t kVariable[] = L"TROVAPLAYER_LOG";

// Appends one line; does nothing when the variable is unset or empty, or the file cannot be
// opened (the trace must never disturb playing).
void Write(const std::wstring& line);

// A text between double quotes, with backslash, double quote and control characters escaped
// C style (\\, \", \n, \r, \t, \xNN), so that one call stays one line.
std::wstring Quote(const std::wstring& text);

}  // namespace PlayerLog
