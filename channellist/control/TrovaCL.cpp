#include <windows.h>
#include <objbase.h>

// The control's class factory and registration come with the COM layer; until
// then the library answers every request as "no such class".

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_OK; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return S_OK; }
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return S_OK; }
