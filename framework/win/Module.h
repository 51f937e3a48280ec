#pragma once
#include <windows.h>

// Handle of the module this code is linked into: the DLL when built into a DLL, not the host exe.
HINSTANCE ThisModule();
