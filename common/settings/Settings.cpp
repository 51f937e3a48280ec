#include "common/settings/Settings.h"

#include <new>

#include "framework/win/ScopedHandle.h"
#include "framework/win/Trace.h"

namespace {

const wchar_t kSettingKey[] = L"Software\\Vantel\\Setting";
const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kAutoRunValue[] = L"vantel-tray";
const wchar_t kStartMinimizedSwitch[] = L" -startmin";

// Longest text a setting may hold, terminator not counted.
const DWORD kMaxTextLength = MAX_PATH - 1;

LONG OpenKey(HKEY root, const wchar_t* path, REGSAM access, ScopedRegKey& key) {
    return RegOpenKeyExW(root, path, 0, access, key.Receive());
}

LONG CreateKey(HKEY root, const wchar_t* path, REGSAM access, ScopedRegKey& key) {
    return RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.Receive(),
                           nullptr);
}

HKEY Hive(bool machine) {
    return machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool ReadDword(HKEY root, const wchar_t* name, DWORD& value) {
    ScopedRegKey key;
    if (OpenKey(root, kSettingKey, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(data))
        return false;
    value = data;
    return true;
}

bool WriteDword(const wchar_t* name, DWORD value) {
    ScopedRegKey key;
    return CreateKey(HKEY_CURRENT_USER, kSettingKey, KEY_SET_VALUE, key) == ERROR_SUCCESS &&
           RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

// A text value is taken only whole: of a text type, terminated, and short enough.
bool ReadSz(HKEY root, const wchar_t* path, const wchar_t* name, DWORD maxLength,
            std::wstring& text) {
    try {
        ScopedRegKey key;
        if (OpenKey(root, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
            return false;
        std::wstring buffer(maxLength + 1, L'\0');
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]),
                             &size) != ERROR_SUCCESS)
            return false;
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || size < sizeof(wchar_t) ||
            size % sizeof(wchar_t) != 0)
            return false;
        const size_t count = size / sizeof(wchar_t);
        if (buffer[count - 1] != L'\0')
            return false;
        // A value with an inner terminator reads as far as any C caller would see it.
        buffer.resize(buffer.find(L'\0'));
        text.swap(buffer);
        return true;
    } catch (const std::bad_alloc&) {
        TraceCaughtException(L"Reading setting text");
        return false;
    }
}

bool WriteSz(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD)
        return false;
    ScopedRegKey key;
    return CreateKey(root, path, KEY_SET_VALUE, key) == ERROR_SUCCESS &&
           RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

// The running program's full name + " -startmin"; empty when the name is unknown.
std::wstring AutoRunCommand() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)  // a cut name has no terminator on XP
        return std::wstring();
    return std::wstring(path, length) + kStartMinimizedSwitch;
}

}  // namespace

bool ReadFlag(const wchar_t* name, bool& value, bool machine) {
    DWORD data = 0;
    if (!ReadDword(Hive(machine), name, data))
        return false;
    value = data != 0;
    return true;
}

bool WriteFlag(const wchar_t* name, bool value) {
    return WriteDword(name, value ? 1 : 0);
}

bool ReadText(const wchar_t* name, std::wstring& text) {
    return ReadSz(HKEY_CURRENT_USER, kSettingKey, name, kMaxTextLength, text);
}

bool WriteText(const wchar_t* name, const std::wstring& text, bool machine) {
    try {
        return WriteSz(Hive(machine), kSettingKey, name, text);
    } catch (const std::bad_alloc&) {
        TraceCaughtException(L"Writing setting text");
        return false;
    }
}

bool ReadMaxBufferSize(DWORD& size) {
    return ReadDword(HKEY_CURRENT_USER, L"MaxBufferSize", size);
}

bool WriteMaxBufferSize(DWORD size) {
    return WriteDword(L"MaxBufferSize", size);
}

bool ReadCloseMinimize() {
    bool closeMinimize = false;
    ReadFlag(L"CloseMinimize", closeMinimize);
    return closeMinimize;
}

bool WriteISP(const std::wstring& text) {
    return WriteText(L"ISP", text);
}

bool WriteMediaType(const std::wstring& text) {
    return WriteText(L"MediaType", text);
}

bool WriteNetworkType(const std::wstring& text) {
    return WriteText(L"NetworkType", text);
}

bool WriteBandwidth(const std::wstring& text) {
    return WriteText(L"Bandwidth", text);
}

bool IsAutoRunOn() {
    try {
        const std::wstring expected = AutoRunCommand();
        if (expected.empty())
            return false;
        // Long enough for the longest program path SetAutoRun can write.
        const DWORD maxLength = kMaxTextLength + (ARRAYSIZE(kStartMinimizedSwitch) - 1);
        std::wstring stored;
        return ReadSz(HKEY_LOCAL_MACHINE, kRunKey, kAutoRunValue, maxLength, stored) &&
               stored == expected;
    } catch (const std::bad_alloc&) {
        TraceCaughtException(L"Reading the auto-run entry");
        return false;
    }
}

bool SetAutoRun(bool on) {
    try {
        std::wstring command;
        if (on) {
            command = AutoRunCommand();
            if (command.empty())  // an empty value would mean "off"
                return false;
        }
        return WriteSz(HKEY_LOCAL_MACHINE, kRunKey, kAutoRunValue, command);
    } catch (const std::bad_alloc&) {
        TraceCaughtException(L"Writing the auto-run entry");
        return false;
    }
}
