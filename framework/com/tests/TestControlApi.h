#pragma once
// What the framework tests know about the test control DLL besides its type library.

#include <windows.h>

// Misc status of TestCtl (that of the channel-list control); TestCtlLateSite has it without
// OLEMISC_SETCLIENTSITEFIRST.
constexpr DWORD kTestCtlMiscStatus = 0x20191;
constexpr wchar_t kTestCtlProgId[] = L"Trova.TestCtl.1";
constexpr wchar_t kTestCtlDll[] = L"TrovaComTestCtl.dll";

// Copies the calls the controls recorded since the last call ("a;b;c") into buffer, clears
// the record and returns the length of the full text.
using TestControlTakeLogFn = int(WINAPI*)(wchar_t* buffer, int size);
