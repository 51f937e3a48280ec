// Self-registration: what DllRegisterServer writes, that the registered type library carries
// the identifiers the player compiles against, and the round trip. The round trip runs with
// HKEY_CLASSES_ROOT redirected to a private key, so that the registration other test programs
// rely on at the same time stays in place.

#include "channellist/control/tests/ControlTestSupport.h"

#include <gtest/gtest.h>
#include <olectl.h>
#include <shlwapi.h>

namespace {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring Value(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    DWORD type = 0;
    if (SHGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, &type, value, &size) != ERROR_SUCCESS)
        return L"<none>";
    return value;
}

// HKEY_CLASSES_ROOT of this process redirected to a fresh key for the object's life.
class CPrivateClassesRoot {
public:
    CPrivateClassesRoot() {
        path_ = L"Software\\TrovaTests\\classes-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount());
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        redirected_ = key_ && RegOverridePredefKey(HKEY_CLASSES_ROOT, key_) == ERROR_SUCCESS;
    }
    ~CPrivateClassesRoot() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (key_)
            RegCloseKey(key_);
        SHDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }
    bool Redirected() const { return redirected_; }
    HKEY Key() const { return key_; }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
    bool redirected_ = false;
};

// The registration that regsvr32 made (scripts/register.sh, or the activation tests).
TEST(ControlRegistration, RegisteredTypeLibraryCarriesTheFixedIdentifiers) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(TrovaCLIds::kLibraryId, 1, 0, LOCALE_NEUTRAL, &library))
        << "TrovaCLLib 1.0 is not registered";
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(TrovaCLIds::kLibraryId, attributes->guid));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    library->ReleaseTLibAttr(attributes);

    CScopedBstr name, doc, helpFile;
    DWORD context = 0;
    ASSERT_EQ(S_OK, library->GetDocumentation(-1, name.Receive(), doc.Receive(), &context, helpFile.Receive()));
    EXPECT_EQ(L"TrovaCLLib", name.Str());
    EXPECT_EQ(L"TrovaCL ActiveX Control module", doc.Str());
    EXPECT_NE(std::wstring::npos, helpFile.Str().find(L"TrovaCL.hlp"));

    struct Expected {
        const GUID* guid;
        const wchar_t* name;
        TYPEKIND kind;
        const wchar_t* help;
    };
    const Expected types[] = {
        {&TrovaCLIds::kDispatchId, L"_DTrovaCL", TKIND_DISPATCH, L"Dispatch interface for TrovaCL Control"},
        {&TrovaCLIds::kEventsId, L"_DTrovaCLEvents", TKIND_DISPATCH, L"Event interface for TrovaCL Control"},
        {&TrovaCLIds::kControlClassId, L"TrovaCL", TKIND_COCLASS, L"TrovaCL Control"},
    };
    for (const Expected& expected : types) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(*expected.guid, &info)) << GuidText(*expected.guid).c_str();
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        EXPECT_EQ(expected.kind, attr->typekind);
        const WORD flags = attr->wTypeFlags;
        info->ReleaseTypeAttr(attr);
        CScopedBstr typeName, typeDoc;
        ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, typeName.Receive(), typeDoc.Receive(), nullptr, nullptr));
        EXPECT_EQ(expected.name, typeName.Str());
        EXPECT_EQ(expected.help, typeDoc.Str());
        if (expected.kind == TKIND_COCLASS) {
            EXPECT_TRUE(flags & TYPEFLAG_FCONTROL);
            EXPECT_TRUE(flags & TYPEFLAG_FCANCREATE);
        }
    }

    // _DTrovaCL: AboutBox and GetChannelName with their ids, parameters and results.
    ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(TrovaCLIds::kDispatchId, &dispatch));
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetChannelName"), const_cast<LPOLESTR>(L"bstrServer"),
                        const_cast<LPOLESTR>(L"ulPortNo"), const_cast<LPOLESTR>(L"bstrChannelID"),
                        const_cast<LPOLESTR>(L"pbstrChannelName")};
    MEMBERID ids[5] = {};
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(names, 5, ids));
    EXPECT_EQ(TrovaCLIds::kDispIdGetChannelName, ids[0]);
    EXPECT_EQ(0, ids[1]);
    EXPECT_EQ(3, ids[4]);
    LPOLESTR about[] = {const_cast<LPOLESTR>(L"AboutBox")};
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(about, 1, ids));
    EXPECT_EQ(TrovaCLIds::kDispIdAboutBox, ids[0]);

    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetTypeAttr(&attr));
    const WORD functions = attr->cFuncs;
    dispatch->ReleaseTypeAttr(attr);
    bool sawGetChannelName = false;
    for (WORD i = 0; i < functions; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, dispatch->GetFuncDesc(i, &function));
        if (function->memid == TrovaCLIds::kDispIdGetChannelName) {
            sawGetChannelName = true;
            EXPECT_EQ(VT_UI4, function->elemdescFunc.tdesc.vt) << "an unsigned 32-bit result";
            ASSERT_EQ(4, function->cParams);
            const VARTYPE types4[] = {VT_BSTR, VT_UI4, VT_BSTR, VT_PTR};
            const USHORT directions[] = {PARAMFLAG_FIN, PARAMFLAG_FIN, PARAMFLAG_FIN, PARAMFLAG_FOUT};
            for (int p = 0; p < 4; ++p) {
                EXPECT_EQ(types4[p], function->lprgelemdescParam[p].tdesc.vt) << p;
                EXPECT_TRUE(function->lprgelemdescParam[p].paramdesc.wParamFlags & directions[p]) << p;
            }
            EXPECT_EQ(VT_BSTR, function->lprgelemdescParam[3].tdesc.lptdesc->vt);
            CScopedBstr methodDoc;
            dispatch->GetDocumentation(function->memid, nullptr, methodDoc.Receive(), nullptr, nullptr);
            EXPECT_EQ(L"method GetChannelName", methodDoc.Str());
        }
        dispatch->ReleaseFuncDesc(function);
    }
    EXPECT_TRUE(sawGetChannelName);

    ComPtr<ITypeInfo> events;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(TrovaCLIds::kEventsId, &events));
    LPOLESTR eventNames[] = {const_cast<LPOLESTR>(L"OnChannelOpen"), const_cast<LPOLESTR>(L"pbstrChaID")};
    ASSERT_EQ(S_OK, events->GetIDsOfNames(eventNames, 2, ids));
    EXPECT_EQ(TrovaCLIds::kDispIdOnChannelOpen, ids[0]);
}

TEST(ControlRegistration, RegisterAndUnregisterRoundTrip) {
    CTrovaCLDll& dll = CTrovaCLDll::Instance();
    ASSERT_NE(nullptr, dll.Module());
    const std::wstring clsid = L"CLSID\\" + GuidText(TrovaCLIds::kControlClassId);
    const std::wstring page = L"CLSID\\" + GuidText(TrovaCLIds::kPropPageClassId);
    const std::wstring library = L"TypeLib\\" + GuidText(TrovaCLIds::kLibraryId);

    CPrivateClassesRoot classes;
    ASSERT_TRUE(classes.Redirected());
    ASSERT_FALSE(KeyExists(clsid)) << "the private classes root starts empty";

    ASSERT_EQ(S_OK, dll.Register());
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(dll.Module(), module, MAX_PATH);

    EXPECT_EQ(L"TrovaCL Control", Value(clsid));
    EXPECT_EQ(module, Value(clsid + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment", Value(clsid + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"TROVACL.TrovaCLCtrl.1", Value(clsid + L"\\ProgID"));
    EXPECT_EQ(L"TROVACL.TrovaCLCtrl", Value(clsid + L"\\VersionIndependentProgID"));
    EXPECT_TRUE(KeyExists(clsid + L"\\Control"));
    EXPECT_FALSE(KeyExists(clsid + L"\\Insertable"));
    EXPECT_EQ(std::to_wstring(0x20191), Value(clsid + L"\\MiscStatus\\1"));
    EXPECT_EQ(std::wstring(module) + L", 1", Value(clsid + L"\\ToolboxBitmap32"));
    EXPECT_EQ(GuidText(TrovaCLIds::kLibraryId), Value(clsid + L"\\TypeLib"));
    EXPECT_EQ(L"1.0", Value(clsid + L"\\Version"));
    EXPECT_EQ(GuidText(TrovaCLIds::kControlClassId), Value(L"TROVACL.TrovaCLCtrl.1\\CLSID"));
    EXPECT_EQ(L"TROVACL.TrovaCLCtrl.1", Value(L"TROVACL.TrovaCLCtrl\\CurVer"));

    EXPECT_EQ(L"TrovaCL Property Page", Value(page));
    EXPECT_EQ(module, Value(page + L"\\InprocServer32"));
    EXPECT_EQ(L"TROVACL.TrovaCLPropPage.1", Value(page + L"\\ProgID"));
    EXPECT_EQ(GuidText(TrovaCLIds::kPropPageClassId), Value(L"TROVACL.TrovaCLPropPage.1\\CLSID"));
    EXPECT_FALSE(KeyExists(page + L"\\Control"));

    EXPECT_EQ(L"TrovaCL ActiveX Control module", Value(library + L"\\1.0"));
    // The type library is registered for the platform of the module that registers it.
    EXPECT_EQ(module, Value(library + (sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32")));
    EXPECT_TRUE(KeyExists(L"Interface\\" + GuidText(TrovaCLIds::kDispatchId)));
    EXPECT_TRUE(KeyExists(L"Interface\\" + GuidText(TrovaCLIds::kEventsId)));

    // Registering again changes nothing; unregistering removes everything it wrote.
    ASSERT_EQ(S_OK, dll.Register());
    ASSERT_EQ(S_OK, dll.Unregister());
    EXPECT_FALSE(KeyExists(clsid));
    EXPECT_FALSE(KeyExists(page));
    EXPECT_FALSE(KeyExists(L"TROVACL.TrovaCLCtrl.1"));
    EXPECT_FALSE(KeyExists(L"TROVACL.TrovaCLCtrl"));
    EXPECT_FALSE(KeyExists(L"TROVACL.TrovaCLPropPage.1"));
    EXPECT_FALSE(KeyExists(library + L"\\1.0"));
    EXPECT_EQ(S_OK, dll.Unregister()) << "unregistering what is not registered succeeds";
}

}  // namespace
