// Class factory, object and lock counts, self-registration round trip.

#include "framework/com/ComModule.h"
#include "framework/com/tests/ComTestSupport.h"
#include "framework/win/ScopedHandle.h"

#include "TestControl.h"

#include <olectl.h>

namespace {

std::wstring ReadClassesValue(const std::wstring& path, const wchar_t* name = nullptr) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<missing>";
    wchar_t value[512] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    const LONG result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? value : L"<no value>";
}

bool ClassesKeyExists(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

TEST(ClassFactory, CreatesControlsAndCountsObjectsAndLocks) {
    CTestControlDll& dll = CTestControlDll::Instance();
    ASSERT_EQ(S_OK, dll.CanUnloadNow());

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_TestCtl, IID_IClassFactory, &factory));
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow()) << "a held factory keeps the module loaded";

    ComPtr<IUnknown> control;
    ComPtr<IUnknown> outer;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(factory.Get(), IID_IUnknown, &outer));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &outer));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, &control));
    EXPECT_EQ(1u, RefCount(control.Get()));

    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    control.Reset();
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow()) << "a lock keeps the module loaded";
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_TestCtl, IID_IClassFactory, &factory));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
    dll.TakeLog();
}

TEST(ClassFactory, RejectsUnknownClassesAndInterfaces) {
    CTestControlDll& dll = CTestControlDll::Instance();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.GetClassObject(IID_IDispatch, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, dll.GetClassObject(CLSID_TestCtl, IID_IDispatch, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, dll.GetClassObject(CLSID_TestCtl, IID_IClassFactory, nullptr));
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST(ProgId, VersionIndependentFormDropsOnlyANumericLastPart) {
    EXPECT_EQ(L"TROVACL.TrovaCLCtrl", VersionIndependentProgId(L"TROVACL.TrovaCLCtrl.1"));
    EXPECT_EQ(L"A.B", VersionIndependentProgId(L"A.B.12"));
    EXPECT_EQ(L"A.B", VersionIndependentProgId(L"A.B"));
    EXPECT_EQ(L"A.B.", VersionIndependentProgId(L"A.B."));
}

// One test: registration is global state of the Wine prefix, so it is undone before the end.
TEST(Registration, RoundTripThroughDllRegisterServer) {
    CTestControlDll& dll = CTestControlDll::Instance();
    const std::wstring clsid = GuidToString(CLSID_TestCtl);
    const std::wstring key = L"CLSID\\" + clsid;

    ASSERT_EQ(S_OK, dll.Register());

    EXPECT_EQ(L"Trova Test Control", ReadClassesValue(key));
    EXPECT_EQ(0, _wcsicmp(dll.Path().c_str(), ReadClassesValue(key + L"\\InprocServer32").c_str()));
    EXPECT_EQ(L"Apartment", ReadClassesValue(key + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"Trova.TestCtl.1", ReadClassesValue(key + L"\\ProgID"));
    EXPECT_EQ(L"Trova.TestCtl", ReadClassesValue(key + L"\\VersionIndependentProgID"));
    EXPECT_TRUE(ClassesKeyExists(key + L"\\Control"));
    EXPECT_EQ(L"131473", ReadClassesValue(key + L"\\MiscStatus\\1"));  // 0x20191
    EXPECT_EQ(dll.Path() + L", 1", ReadClassesValue(key + L"\\ToolboxBitmap32"));
    EXPECT_EQ(GuidToString(LIBID_TrovaComTestLib), ReadClassesValue(key + L"\\TypeLib"));
    EXPECT_EQ(L"1.0", ReadClassesValue(key + L"\\Version"));
    EXPECT_EQ(clsid, ReadClassesValue(L"Trova.TestCtl\\CLSID"));
    EXPECT_EQ(L"Trova.TestCtl.1", ReadClassesValue(L"Trova.TestCtl\\CurVer"));

    CLSID fromProgId = {};
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"Trova.TestCtl.1", &fromProgId));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestCtl, fromProgId));

    // The registered library is the one in the module, with its own identifier intact.
    ComPtr<ITypeLib> typeLib;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_TrovaComTestLib, 1, 0, 0, &typeLib));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, typeLib->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_TrovaComTestLib, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    typeLib->ReleaseTLibAttr(attr);
    ComPtr<ITypeInfo> events;
    EXPECT_EQ(S_OK, typeLib->GetTypeInfoOfGuid(DIID__DTestCtlEvents, &events));
    typeLib.Reset();
    events.Reset();

    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TestCtl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &control));
    ComPtr<IOleObject> ole;
    EXPECT_EQ(S_OK, control.As(&ole));
    LPOLESTR userType = nullptr;
    ASSERT_EQ(S_OK, ole->GetUserType(USERCLASSTYPE_FULL, &userType));
    EXPECT_STREQ(L"Trova Test Control", userType);
    CoTaskMemFree(userType);
    ole.Reset();
    control.Reset();

    ASSERT_EQ(S_OK, dll.Unregister());
    EXPECT_FALSE(ClassesKeyExists(key));
    EXPECT_FALSE(ClassesKeyExists(L"Trova.TestCtl.1"));
    EXPECT_FALSE(ClassesKeyExists(L"Trova.TestCtl"));
    EXPECT_NE(S_OK, LoadRegTypeLib(LIBID_TrovaComTestLib, 1, 0, 0, &typeLib));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_TestCtl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &control));
    EXPECT_EQ(S_OK, dll.Unregister()) << "unregistering twice is not an error";
    dll.TakeLog();
}

TEST(Registration, KeepsAProgIdThatAnotherClassTookOver) {
    CTestControlDll& dll = CTestControlDll::Instance();
    ASSERT_EQ(S_OK, dll.Register());
    // Another server re-registers the version-independent name for itself.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Trova.TestCtl\\CLSID", 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &key, nullptr));
    const std::wstring other = GuidToString(CLSID_TestCtlLateSite);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                   static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    ASSERT_EQ(S_OK, dll.Unregister());
    EXPECT_EQ(other, ReadClassesValue(L"Trova.TestCtl\\CLSID"));
    EXPECT_FALSE(ClassesKeyExists(L"Trova.TestCtl.1"));
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Trova.TestCtl\\CLSID");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Trova.TestCtl\\CurVer");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Trova.TestCtl");
}

// A class key that another writer left volatile cannot take the non-volatile subkeys: the
// registration stops with the registry's own code and removes what it wrote.
TEST(Registration, ReturnsTheRegistryErrorThatStoppedIt) {
    static const CLSID kClass = {0x6c1e2f0a, 0x51b4, 0x4d7e, {0x9a, 0x3c, 0x27, 0x8e, 0x41, 0xd0, 0x5b, 0x93}};
    CClassEntry entry;
    entry.clsid = &kClass;
    const std::wstring key = L"CLSID\\" + GuidToString(kClass);
    {
        ScopedRegKey volatileKey;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                                 KEY_WRITE, nullptr, volatileKey.Receive(), nullptr));
    }

    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE), CComModule::Instance().RegisterClass(entry));
    EXPECT_FALSE(ClassesKeyExists(key));
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

}  // namespace
