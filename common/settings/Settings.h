#pragma once

#include <windows.h>

#include <string>

// The player's options: named values under "Software\Vantel\Setting", read when needed
// and written at once. No function throws; each returns false on failure, and readers
// leave their output alone then, so callers preset it to the option's default.

// A REG_DWORD flag; any non-zero number counts as set, any other type as absent.
// Reads the current user's hive, or HKEY_LOCAL_MACHINE when `machine` is true.
bool ReadFlag(const wchar_t* name, bool& value, bool machine = false);
// Writes 0 or 1 in the current user's hive.
bool WriteFlag(const wchar_t* name, bool value);

// A REG_SZ or REG_EXPAND_SZ text (not expanded) of at most 259 characters.
bool ReadText(const wchar_t* name, std::wstring& text);
bool WriteText(const wchar_t* name, const std::wstring& text, bool machine = false);

// "MaxBufferSize" in megabytes.
bool ReadMaxBufferSize(DWORD& size);
bool WriteMaxBufferSize(DWORD size);

// "CloseMinimize", off when absent.
bool ReadCloseMinimize();

// Network provider page.
bool WriteISP(const std::wstring& text);
bool WriteMediaType(const std::wstring& text);
bool WriteNetworkType(const std::wstring& text);
bool WriteBandwidth(const std::wstring& text);

// Start with Windows: the machine-wide Run value "vantel-tray".
// On when it holds exactly the text SetAutoRun(true) would write now.
bool IsAutoRunOn();
// Writes the program's path + " -startmin", or the empty text to switch it off.
// False when the user may not write HKEY_LOCAL_MACHINE.
bool SetAutoRun(bool on);
