// TrovaCL.dll: the module's class table.
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
