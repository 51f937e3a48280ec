#include "substitutes/playerctl/PlayerLog.h"

#include <windows.h>

#include <cwchar>

#include "framework/win/ScopedHandle.h"

namespace PlayerLog {
namespace {

std::wstring LogPath() {
    const DWORD size = GetEnvironmentVariableW(kVariable, nullptr, 0);
    if (size <= 1) return std::wstring();
    std::wstring path(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(kVariable, &path[0], size);
    path.resize(length < size ? length : 0);
    return path;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size, nullptr,
                            nullptr);
    return utf8;
}

}  // namespace

void Write(const std::wstring& line) {
    const std::wstring path = LogPath();
    if (path.empty()) return;
    // Opened for each line: appends from several controls (or processes) interleave by line,
    // and the line is in the file when the call returns.
    const ScopedKernelHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string bytes = ToUtf8(line) + '\n';
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Quote(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        switch (c) {
        case L'\\': quoted += L"\\\\"; break;
        case L'"': quoted += L"\\\""; break;
        case L'\n': quoted += L"\\n"; break;
        case L'\r': quoted += L"\\r"; break;
        case L'\t': quoted += L"\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                wchar_t escaped[8];
                swprintf(escaped, 8, L"\\x%02X", static_cast<unsigned>(c));
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + L"\"";
}

}  // namespace PlayerLog
