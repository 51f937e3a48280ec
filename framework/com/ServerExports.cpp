// The four exported entry points of an in-process server, forwarded to the module object of
// the DLL they are linked into. The DLL's .def file exports them.
#include "framework/com/ComModule.h"

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return CComModule::Instance().DllGetClassObject(clsid, riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return CComModule::Instance().DllCanUnloadNow(); }

// Type library first (SELFREG_E_TYPELIB), then the classes (SELFREG_E_CLASS).
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return CComModule::Instance().RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return CComModule::Instance().UnregisterServer(); }
