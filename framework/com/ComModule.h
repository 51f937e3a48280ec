#pragma once
// The module object of an in-process COM server: its creatable classes, the class factory,
// object and lock counts for DllCanUnloadNow, the type library resource and self-registration.
//
// A server module fills the class table once (see CComModule::AddClass) and links
// trova_com_server_exports, whose four exported entry points forward to DllGetClassObject(),
// DllCanUnloadNow(), RegisterServer() and UnregisterServer() of CComModule::Instance().

#include "framework/com/ComUtil.h"

#include <new>
#include <string>
#include <vector>

using CreateInstanceFn = HRESULT (*)(REFIID riid, void** object);

// One creatable class: how to make an instance and how to register it.
struct CClassEntry {
    const CLSID* clsid = nullptr;
    CreateInstanceFn create = nullptr;
    // Version-dependent ProgID such as "Vendor.Thing.1"; the version-independent one is this
    // text without its last ".<number>". Null: no ProgID.
    const wchar_t* progId = nullptr;
    UINT typeNameId = 0;  // string resource with the user type name
    const wchar_t* threadingModel = L"Apartment";
    bool isControl = false;           // writes the Control key
    DWORD miscStatus = 0;             // OLEMISC_* of DVASPECT_CONTENT, for controls
    UINT toolboxBitmapId = 0;         // bitmap resource; 0: no ToolboxBitmap32
    const GUID* typeLibId = nullptr;  // null: no TypeLib and Version keys
    WORD typeLibMajor = 1;
    WORD typeLibMinor = 0;
};

// The entry of a class: `clsid` made by `create`, registered under `progId` (null: none) with
// the user type name in string resource `typeNameId`; the rest as CClassEntry's defaults.
CClassEntry ClassEntryOf(const CLSID& clsid, CreateInstanceFn create, const wchar_t* progId, UINT typeNameId);
// The same for an ActiveX control, with its misc status and type library (version 1.0).
CClassEntry ControlEntryOf(const CLSID& clsid, CreateInstanceFn create, const wchar_t* progId, UINT typeNameId,
                           DWORD miscStatus, const GUID& typeLibId);

class CComModule {
public:
    // The module this copy of the framework is linked into (DLL or program).
    static CComModule& Instance();

    HMODULE Handle() const { return module_; }
    std::wstring Path() const;

    // Adds a class to the module's class table; entries must outlive the module. Returns true
    // so that a module can fill the table from a namespace-scope initialiser.
    bool AddClass(const CClassEntry& entry);
    const CClassEntry* FindClass(REFCLSID clsid) const;

    // Live COM objects and IClassFactory::LockServer locks, both keep the module loaded.
    void ObjectCreated() { InterlockedIncrement(&objects_); }
    void ObjectDestroyed() { InterlockedDecrement(&objects_); }
    void Lock() { InterlockedIncrement(&locks_); }
    void Unlock() { InterlockedDecrement(&locks_); }
    LONG ObjectCount() const { return objects_; }
    LONG LockCount() const { return locks_; }

    // Bodies of the exported entry points.
    HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
    HRESULT DllCanUnloadNow() const { return objects_ == 0 && locks_ == 0 ? S_OK : S_FALSE; }

    // The type library embedded as resource TYPELIB 1 of this module.
    HRESULT LoadTypeLib(ITypeLib** typeLib) const;

    // Registers the module's type library (SELFREG_E_TYPELIB on failure), then every class
    // (SELFREG_E_CLASS on failure). Unregistering undoes both in the same order. A class that
    // cannot be registered whole is removed again, and RegisterClass returns the registry's code.
    HRESULT RegisterServer();
    HRESULT UnregisterServer();
    HRESULT RegisterTypeLib();
    HRESULT UnregisterTypeLib();
    HRESULT RegisterClass(const CClassEntry& entry) const;
    HRESULT UnregisterClass(const CClassEntry& entry) const;

private:
    CComModule();
    std::wstring TypeName(const CClassEntry& entry) const;
    // The type library's step, then the class step for every class; the first failure ends it
    // and is traced under the step's name.
    using ClassStep = HRESULT (CComModule::*)(const CClassEntry&) const;
    struct StepNames {
        const wchar_t* typeLib;
        const wchar_t* oneClass;
    };
    HRESULT EachPart(HRESULT (CComModule::*typeLibStep)(), ClassStep classStep, const StepNames& names);

    HMODULE module_ = nullptr;
    std::vector<const CClassEntry*> classes_;
    volatile LONG objects_ = 0;
    volatile LONG locks_ = 0;
};

// Standard creation function for CClassEntry::create: T is a COM object whose reference count
// starts at 1 and whose constructor counts it in the module (see ComObject.h). `Args` are
// objects of static storage handed to T's constructor, such as the class's own CClassEntry.
template <class T, const auto&... Args>
HRESULT CreateComInstance(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const ComPtr<T> instance = AdoptComPtr(new (std::nothrow) T(Args...));
    if (!instance)
        return E_OUTOFMEMORY;
    return instance->QueryInterface(riid, object);
}

// Version-independent form of a ProgID: "A.B.1" gives "A.B"; a ProgID without a numeric
// last part is returned unchanged.
std::wstring VersionIndependentProgId(const std::wstring& progId);

// Text form of a GUID, "{xxxxxxxx-...}".
std::wstring GuidToString(REFGUID guid);
