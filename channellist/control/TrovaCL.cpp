// TrovaCL.dll: the module object and the four exported entry points of the in-process server.
#include "channellist/control/TrovaCLCtrl.h"
#include "channellist/control/TrovaCLPropPage.h"
#include "framework/com/ComModule.h"
#include "framework/win/Window.h"

namespace {

// The module's application object: its class table, filled once when the DLL loads.
class CTrovaCLApp {
public:
    CTrovaCLApp() {
        CComModule& module = CComModule::Instance();
        module.AddClass(CTrovaCLCtrl::ClassEntry());
        module.AddClass(CTrovaCLPropPage::ClassEntry());
    }
    CComModule& Module() const { return CComModule::Instance(); }
};

const CTrovaCLApp theApp;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    // Windows keeps a DLL's window classes after it unloads; a later load at another address
    // would find classes pointing at the old code.
    if (reason == DLL_PROCESS_DETACH) {
        UnregisterWindowClasses();
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return theApp.Module().DllGetClassObject(clsid, riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return theApp.Module().DllCanUnloadNow(); }

// Type library first (SELFREG_E_TYPELIB), then the classes (SELFREG_E_CLASS).
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return theApp.Module().RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return theApp.Module().UnregisterServer(); }
