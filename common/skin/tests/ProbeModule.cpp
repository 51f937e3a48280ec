// An empty library: tests load copies of it so that a skin can sit beside a module of
// their own choosing.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
