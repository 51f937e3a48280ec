#pragma once
// What the framework tests know about the test control DLL besides its type library.

#include <windows.h>

// Misc status of TestCtl (that of the channel-list control); TestCtlLateSite has it without
// OLEMISC_SETCLIENTSITEFIRST.
constexpr DWORD kTestCtlMiscStatus = 0x20191;
constexpr wchar_t kTestCtlProgId[] = L"Trova.TestCtl.1";
constexpr wchar_t kTestCtlDll[] = L"TrovaComTestCtl.dll";
// The test control's property page (not in the type library).
constexpr CLSID kTestCtlPageClsid = {0x6e0c1b10, 0x7a52, 0x4c1e, {0x9b, 0x3a, 0x2f, 0x1d, 0x7c, 0x4e, 0x5a, 0x07}};

// Copies the calls the controls recorded since the last call ("a;b;c") into buffer, clears
// the record and returns the length of the full text.
using TestControlTakeLogFn = int(WINAPI*)(wchar_t* buffer, int size);
