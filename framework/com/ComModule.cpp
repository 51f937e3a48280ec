#include "framework/com/ComModule.h"
#include "framework/win/ScopedHandle.h"
#include "framework/win/Trace.h"

#include "framework/com/ComObject.h"

#include <olectl.h>

#include <algorithm>
#include <cwctype>
#include <new>

namespace {

// The class factory handed out by DllGetClassObject: one per request, counted in the module
// so that a client holding only the factory keeps the module loaded.
class CClassFactory final : public CComObject<IClassFactory> {
public:
    explicit CClassFactory(CreateInstanceFn create) : create_(create) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return create_(riid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            CComModule::Instance().Lock();
        else
            CComModule::Instance().Unlock();
        return S_OK;
    }

private:
    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{IID_IClassFactory, static_cast<IClassFactory*>(this)}});
    }

    CreateInstanceFn create_;
};

// Writes keys under HKEY_CLASSES_ROOT. After the first failure it writes nothing more and keeps
// that failure's code for the caller.
class CClassesKeyWriter {
public:
    // Creates HKCR\<path> with a default value (null: none) and an optional named value.
    void Write(const std::wstring& path, const std::wstring* value, const wchar_t* name = nullptr,
               const std::wstring* namedValue = nullptr) {
        if (result_ != ERROR_SUCCESS)
            return;
        ScopedRegKey key;
        result_ = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                  key.Receive(), nullptr);
        if (result_ == ERROR_SUCCESS && value)
            result_ = SetString(key, nullptr, *value);
        if (result_ == ERROR_SUCCESS && name && namedValue)
            result_ = SetString(key, name, *namedValue);
    }
    void Write(const std::wstring& path, const std::wstring& value) { Write(path, &value); }
    LONG Result() const { return result_; }

private:
    static LONG SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    LONG result_ = ERROR_SUCCESS;
};

// Deletes a key with everything below it (RegDeleteTree is not available before Vista).
LONG DeleteTree(HKEY parent, const std::wstring& path) {
    ScopedRegKey key;
    LONG result = RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, key.Receive());
    if (result == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS)
        return result;
    wchar_t child[256];
    for (;;) {
        DWORD length = ARRAYSIZE(child);
        // Always the first subkey: the enumeration index shifts as keys go.
        if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        result = DeleteTree(key, child);
        if (result != ERROR_SUCCESS)
            break;
    }
    key.Reset();
    if (result != ERROR_SUCCESS)
        return result;
    result = RegDeleteKeyW(parent, path.c_str());
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

// Default value of HKCR\<path>, empty when missing.
std::wstring ReadDefault(const std::wstring& path) {
    wchar_t value[128] = {};
    LONG size = sizeof(value) - sizeof(wchar_t);
    if (RegQueryValueW(HKEY_CLASSES_ROOT, path.c_str(), value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

// A ProgID is removed only while it still names this class: another server may have taken
// the name over since.
LONG DeleteProgIdOf(const std::wstring& progId, const std::wstring& clsid) {
    if (progId.empty() || _wcsicmp(ReadDefault(progId + L"\\CLSID").c_str(), clsid.c_str()) != 0)
        return ERROR_SUCCESS;
    return DeleteTree(HKEY_CLASSES_ROOT, progId);
}

// The entry points answer with the SELFREG_E_* code their callers know; the debugger output
// gets the code that stopped them.
HRESULT SelfRegistrationFailed(const wchar_t* step, HRESULT cause, HRESULT answer) {
    TraceFailure(step, cause);
    return answer;
}

int s_moduleAnchor;  // its address tells which module this copy of the framework lives in

}  // namespace

CClassEntry ClassEntryOf(const CLSID& clsid, CreateInstanceFn create, const wchar_t* progId, UINT typeNameId) {
    CClassEntry entry;
    entry.clsid = &clsid;
    entry.create = create;
    entry.progId = progId;
    entry.typeNameId = typeNameId;
    return entry;
}

CClassEntry ControlEntryOf(const CLSID& clsid, CreateInstanceFn create, const wchar_t* progId, UINT typeNameId,
                           DWORD miscStatus, const GUID& typeLibId) {
    CClassEntry entry = ClassEntryOf(clsid, create, progId, typeNameId);
    entry.isControl = true;
    entry.miscStatus = miscStatus;
    entry.typeLibId = &typeLibId;
    return entry;
}

CComModule& CComModule::Instance() {
    static CComModule module;
    return module;
}

CComModule::CComModule() {
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&s_moduleAnchor), &module_);
}

std::wstring CComModule::Path() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module_, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool CComModule::AddClass(const CClassEntry& entry) {
    classes_.push_back(&entry);
    return true;
}

const CClassEntry* CComModule::FindClass(REFCLSID clsid) const {
    for (const CClassEntry* entry : classes_)
        if (*entry->clsid == clsid)
            return entry;
    return nullptr;
}

HRESULT CComModule::DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const CClassEntry* entry = FindClass(clsid);
    if (!entry)
        return CLASS_E_CLASSNOTAVAILABLE;
    const ComPtr<CClassFactory> factory = AdoptComPtr(new (std::nothrow) CClassFactory(entry->create));
    if (!factory)
        return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, object);
}

HRESULT CComModule::LoadTypeLib(ITypeLib** typeLib) const {
    // A module path loads resource TYPELIB 1; oleaut32 caches the library by path.
    return LoadTypeLibEx(Path().c_str(), REGKIND_NONE, typeLib);
}

HRESULT CComModule::RegisterServer() {
    return EachPart(&CComModule::RegisterTypeLib, &CComModule::RegisterClass,
                    {L"Registering the type library", L"Registering a class"});
}

HRESULT CComModule::UnregisterServer() {
    return EachPart(&CComModule::UnregisterTypeLib, &CComModule::UnregisterClass,
                    {L"Unregistering the type library", L"Unregistering a class"});
}

HRESULT CComModule::EachPart(HRESULT (CComModule::*typeLibStep)(), ClassStep classStep, const StepNames& names) {
    HRESULT hr = (this->*typeLibStep)();
    if (FAILED(hr))
        return SelfRegistrationFailed(names.typeLib, hr, SELFREG_E_TYPELIB);
    for (const CClassEntry* entry : classes_)
        if (FAILED(hr = (this->*classStep)(*entry)))
            return SelfRegistrationFailed(names.oneClass, hr, SELFREG_E_CLASS);
    return S_OK;
}

HRESULT CComModule::RegisterTypeLib() {
    ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadTypeLib(&typeLib);
    if (FAILED(hr))
        return hr;
    std::wstring path = Path();
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    return ::RegisterTypeLib(typeLib.Get(), &path[0], folder.empty() ? nullptr : &folder[0]);
}

HRESULT CComModule::UnregisterTypeLib() {
    ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadTypeLib(&typeLib);
    if (FAILED(hr))
        return hr;
    TLIBATTR* attr = nullptr;
    hr = typeLib->GetLibAttr(&attr);
    if (FAILED(hr))
        return hr;
    // Nothing registered is what unregistering wants (Wine and Windows report it differently).
    CScopedBstr registeredPath;
    if (SUCCEEDED(QueryPathOfRegTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                        registeredPath.Receive()))) {
        hr = ::UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    }
    typeLib->ReleaseTLibAttr(attr);
    return hr;
}

std::wstring CComModule::TypeName(const CClassEntry& entry) const {
    std::wstring name = entry.typeNameId ? LoadResourceString(module_, entry.typeNameId) : std::wstring();
    if (name.empty() && entry.progId)
        name = entry.progId;
    return name;
}

HRESULT CComModule::RegisterClass(const CClassEntry& entry) const {
    const std::wstring clsid = GuidToString(*entry.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring typeName = TypeName(entry);
    const std::wstring path = Path();
    const std::wstring threading = entry.threadingModel ? entry.threadingModel : L"";

    CClassesKeyWriter writer;
    writer.Write(key, typeName);
    writer.Write(key + L"\\InprocServer32", &path, entry.threadingModel ? L"ThreadingModel" : nullptr, &threading);
    if (entry.progId) {
        const std::wstring progId = entry.progId;
        const std::wstring independent = VersionIndependentProgId(progId);
        writer.Write(key + L"\\ProgID", progId);
        writer.Write(progId, typeName);
        writer.Write(progId + L"\\CLSID", clsid);
        if (independent != progId) {
            writer.Write(key + L"\\VersionIndependentProgID", independent);
            writer.Write(independent, typeName);
            writer.Write(independent + L"\\CLSID", clsid);
            writer.Write(independent + L"\\CurVer", progId);
        }
    }
    if (entry.isControl) {
        writer.Write(key + L"\\Control", nullptr);
        writer.Write(key + L"\\MiscStatus", std::wstring(L"0"));
        writer.Write(key + L"\\MiscStatus\\1", std::to_wstring(entry.miscStatus));
    }
    if (entry.toolboxBitmapId)
        writer.Write(key + L"\\ToolboxBitmap32", path + L", " + std::to_wstring(entry.toolboxBitmapId));
    if (entry.typeLibId) {
        writer.Write(key + L"\\TypeLib", GuidToString(*entry.typeLibId));
        writer.Write(key + L"\\Version",
                     std::to_wstring(entry.typeLibMajor) + L"." + std::to_wstring(entry.typeLibMinor));
    }
    if (writer.Result() != ERROR_SUCCESS) {
        // Half a registration would name a server that cannot be created.
        UnregisterClass(entry);
        return HRESULT_FROM_WIN32(writer.Result());
    }
    return S_OK;
}

HRESULT CComModule::UnregisterClass(const CClassEntry& entry) const {
    const std::wstring clsid = GuidToString(*entry.clsid);
    LONG result = ERROR_SUCCESS;
    if (entry.progId) {
        const std::wstring progId = entry.progId;
        const std::wstring independent = VersionIndependentProgId(progId);
        if (independent != progId)
            result = DeleteProgIdOf(independent, clsid);
        if (result == ERROR_SUCCESS)
            result = DeleteProgIdOf(progId, clsid);
    }
    if (result == ERROR_SUCCESS)
        result = DeleteTree(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid);
    return HRESULT_FROM_WIN32(result);
}

std::wstring VersionIndependentProgId(const std::wstring& progId) {
    const size_t dot = progId.find_last_of(L'.');
    if (dot == std::wstring::npos || dot == 0 || dot + 1 == progId.size())
        return progId;
    const bool numeric = std::all_of(progId.begin() + dot + 1, progId.end(), [](wchar_t c) { return iswdigit(c); });
    return numeric ? progId.substr(0, dot) : progId;
}

std::wstring GuidToString(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}
