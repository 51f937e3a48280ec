// The control as a container sees it: creation from the class factory and by class
// identifier, the interfaces it answers, in-place activation against a recording site, its
// child windows, and reference counts falling to zero.

#include "channellist/control/tests/ControlTestSupport.h"
#include "framework/win/ScopedGdi.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>
#include <olectl.h>

namespace {

constexpr int kWidth = 220;
constexpr int kHeight = 560;

HRESULT CreateFromFactory(REFIID riid, void** object) {
    ComPtr<IClassFactory> factory;
    HRESULT hr = CTrovaCLDll::Instance().GetClassObject(TrovaCLIds::kControlClassId, IID_PPV_ARGS(&factory));
    return SUCCEEDED(hr) ? factory->CreateInstance(nullptr, riid, object) : hr;
}

class ControlActivationTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPrivateAppData::DeleteDatabase();
        ASSERT_NE(nullptr, CTrovaCLDll::Instance().Module()) << "TrovaCL.dll not found in the shipped folder";
    }
    void TearDown() override {
        EXPECT_EQ(S_OK, CTrovaCLDll::Instance().CanUnloadNow()) << "an object of the control is still alive";
    }
};

TEST_F(ControlActivationTest, FactoryMakesAControlWithTheInterfacesOfAnActiveXControl) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CTrovaCLDll::Instance().GetClassObject(TrovaCLIds::kControlClassId, IID_PPV_ARGS(&factory)));
    ComPtr<IUnknown> control;
    int outer = 0;  // never called: aggregation is refused up front
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              factory->CreateInstance(reinterpret_cast<IUnknown*>(&outer), IID_IUnknown, &control));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, &control));
    EXPECT_EQ(S_FALSE, CTrovaCLDll::Instance().CanUnloadNow());

    const IID supported[] = {IID_IOleObject,
                             IID_IOleInPlaceObject,
                             IID_IOleInPlaceActiveObject,
                             IID_IOleControl,
                             IID_IViewObject2,
                             IID_IPersistStreamInit,
                             IID_IPersistPropertyBag,
                             IID_IProvideClassInfo2,
                             IID_ISpecifyPropertyPages,
                             IID_IConnectionPointContainer,
                             IID_IDispatch,
                             TrovaCLIds::kDispatchId};
    for (const IID& iid : supported) {
        ComPtr<IUnknown> part, identity;
        ASSERT_EQ(S_OK, control->QueryInterface(iid, &part));
        ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, &identity));
        EXPECT_EQ(control.Get(), identity.Get());
    }
    factory.Reset();
    ComPtr<IUnknown> events;
    EXPECT_EQ(E_NOINTERFACE, control->QueryInterface(TrovaCLIds::kEventsId, &events));
    EXPECT_EQ(1u, RefCount(control.Get()));

    // What the control tells about itself before any site exists.
    ComPtr<IOleObject> ole;
    ASSERT_EQ(S_OK, control.As(&ole));
    DWORD misc = 0;
    ASSERT_EQ(S_OK, ole->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_EQ(0x20191u, misc);
    CLSID clsid = {};
    ASSERT_EQ(S_OK, ole->GetUserClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(TrovaCLIds::kControlClassId, clsid));
    LPOLESTR userType = nullptr;
    ASSERT_EQ(S_OK, ole->GetUserType(USERCLASSTYPE_FULL, &userType));
    EXPECT_STREQ(L"TrovaCL Control", userType);
    CoTaskMemFree(userType);

    ComPtr<IProvideClassInfo2> classInfo;
    ASSERT_EQ(S_OK, control.As(&classInfo));
    GUID source = {};
    ASSERT_EQ(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_TRUE(IsEqualGUID(TrovaCLIds::kEventsId, source));

    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(S_OK, control.As(&pages));
    CAUUID list = {};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(1u, list.cElems);
    EXPECT_TRUE(IsEqualCLSID(TrovaCLIds::kPropPageClassId, list.pElems[0]));
    CoTaskMemFree(list.pElems);

    // The persisted state is the version alone.
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, control.As(&persist));
    ULARGE_INTEGER size = {};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(4u, size.QuadPart);
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG version = 0, read = 0;
    ASSERT_EQ(S_OK, stream->Read(&version, sizeof(version), &read));
    EXPECT_EQ(0x10000u, version);

    persist.Reset();
    pages.Reset();
    classInfo.Reset();
    ole.Reset();
    control.Reset();
    EXPECT_EQ(S_OK, CTrovaCLDll::Instance().CanUnloadNow());
}

// What the timer saw of the about box before it pressed OK.
struct AboutBoxSeen {
    std::wstring caption, version, notice;
    bool okButton = false;
};
AboutBoxSeen g_aboutBox;

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindThreadWindow(L"#32770", L"About TrovaCL Control");
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    g_aboutBox.caption = WindowText(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring text = WindowText(child);
        if (text.find(L"Version") != std::wstring::npos)
            g_aboutBox.version = text;
        if (GetDlgCtrlID(child) == 101)
            g_aboutBox.notice = text;
        if (GetDlgCtrlID(child) == IDOK && text == L"OK")
            g_aboutBox.okButton = true;
    }
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(ControlActivationTest, AboutBoxIsModalAndEndsWithOk) {
    ComPtr<IDispatch> control;
    ASSERT_EQ(S_OK, CreateFromFactory(IID_PPV_ARGS(&control)));
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseAboutBox);
    DISPPARAMS none = {};
    EXPECT_EQ(S_OK, control->Invoke(TrovaCLIds::kDispIdAboutBox, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                    nullptr, nullptr, nullptr));
    KillTimer(nullptr, timer);
    EXPECT_EQ(L"About TrovaCL Control", g_aboutBox.caption) << "returned only after the dialog closed";
    EXPECT_EQ(L"TrovaCL Control, Version 1.0", g_aboutBox.version);
    EXPECT_FALSE(g_aboutBox.notice.empty());
    EXPECT_TRUE(g_aboutBox.okButton);
}

// Names come from the rows the all-channels list shows, never from the database: until the
// lists read at start-up are shown there is none, though the database holds the channel.
TEST_F(ControlActivationTest, GetChannelNameFailsBeforeTheListsAreLoaded) {
    CTestCatalogue catalogue({"Alpha News\tch-alpha\tMorning bulletin\thttp://a.example\tNews\t0\t300\t450"});
    {
        CStubContainer first(kWidth, kHeight);
        ComPtr<IUnknown> control;
        ASSERT_EQ(S_OK, CreateFromFactory(IID_PPV_ARGS(&control)));
        ASSERT_EQ(S_OK, first.Activate(control.Get()));
        ASSERT_TRUE(first.WaitForSync());
        first.Deactivate();
    }
    CStubContainer container(kWidth, kHeight);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateFromFactory(IID_PPV_ARGS(&control)));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    ULONG status = 0;
    CScopedBstr name(L"kept");
    ASSERT_EQ(S_OK, CallGetChannelName(control.Get(), L"global", 0, L"ch-alpha", status, name));
    EXPECT_EQ(static_cast<ULONG>(E_FAIL), status);
    EXPECT_EQ(L"kept", name.Str());

    ASSERT_TRUE(container.WaitForLoad());
    ASSERT_EQ(S_OK, CallGetChannelName(control.Get(), L"global", 0, L"ch-alpha", status, name));
    EXPECT_EQ(0u, status);
    EXPECT_EQ(L"Alpha News", name.Str());
    control.Reset();
    container.Deactivate();
}

TEST_F(ControlActivationTest, PropertyPageFactoryMakesThePage) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CTrovaCLDll::Instance().GetClassObject(TrovaCLIds::kPropPageClassId, IID_PPV_ARGS(&factory)));
    ComPtr<IPropertyPage> page;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&page)));
    PROPPAGEINFO info = {};
    info.cb = sizeof(info);
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_STREQ(L"General", info.pszTitle);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
    EXPECT_EQ(1u, RefCount(page.Get()));

    ComPtr<IClassFactory> none;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              CTrovaCLDll::Instance().GetClassObject(TrovaCLIds::kLibraryId, IID_PPV_ARGS(&none)));
}

TEST_F(ControlActivationTest, ActivatesInPlaceWithItsChildrenInTheirOrderAndStyles) {
    CStubContainer container(kWidth, kHeight);
    {
        ComPtr<IUnknown> control;
        ASSERT_EQ(S_OK, CreateFromFactory(IID_PPV_ARGS(&control)));
        ASSERT_EQ(S_OK, container.Activate(control.Get()));
    }
    EXPECT_EQ("CanInPlaceActivate,OnInPlaceActivate,GetWindow,GetWindowContext", container.Calls())
        << "the control needs nothing more from its site";

    const HWND window = container.ControlWindow();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(container.Window(), GetParent(window));
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CLIPCHILDREN);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(kWidth, client.right);
    EXPECT_EQ(kHeight, client.bottom);

    // Children in creation order: the search box, then header and list of each section, by the
    // ids hosts find them by (the search box, all channels, history, favourites, search results).
    const int order[] = {1009, 1002, 1001, 1003, 1004, 1005, 1006, 1007, 1008};
    const bool visible[] = {true, true, true, true, false, true, false, false, false};
    std::vector<int> found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(GetDlgCtrlID(child));
    ASSERT_EQ(std::vector<int>(std::begin(order), std::end(order)), found) << "z order is creation order";
    for (size_t i = 0; i < found.size(); ++i) {
        const HWND child = container.Child(order[i]);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        EXPECT_TRUE(style & WS_CHILD) << order[i];
        EXPECT_TRUE(style & WS_CLIPSIBLINGS) << order[i];
        EXPECT_EQ(visible[i], (style & WS_VISIBLE) != 0) << order[i];
    }

    // Captions as the headers show them, before the first synchronisation ends: an empty
    // database gives no channels.
    EXPECT_EQ(L"所有频道(0)", WindowText(container.Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_EQ(L"最近观看(0)", WindowText(container.Child(TrovaCLIds::kHistoryHeaderId)));
    EXPECT_EQ(L"我的收藏(0)", WindowText(container.Child(TrovaCLIds::kFavorHeaderId)));
    EXPECT_EQ(L"搜索结果(0)", WindowText(container.Child(TrovaCLIds::kSearchHeaderId)));

    // Layout: search box, then the all-channels section open, then the two closed headers.
    const RECT panel = ChildRect(container.Child(TrovaCLIds::kSearchPanelId));
    EXPECT_EQ((RECT{0, 0, kWidth, 36}), panel);
    EXPECT_EQ((RECT{0, 36, kWidth, 56}), ChildRect(container.Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_EQ((RECT{0, 56, kWidth, 56 + kHeight - 96}), ChildRect(container.Child(TrovaCLIds::kAllTreeId)));
    EXPECT_EQ((RECT{0, kHeight - 40, kWidth, kHeight - 20}), ChildRect(container.Child(TrovaCLIds::kHistoryHeaderId)));
    EXPECT_EQ((RECT{0, kHeight - 20, kWidth, kHeight}), ChildRect(container.Child(TrovaCLIds::kFavorHeaderId)));

    ASSERT_TRUE(container.WaitForSync()) << "the background synchronisation reports back";
    EXPECT_EQ(L"所有频道(44)", WindowText(container.Child(TrovaCLIds::kAllHeaderId)))
        << "the engine's built-in catalogue";

    // The header bar draws from the skin beside the control's own module; without it the bar
    // would paint nothing at all.
    const HWND header = container.Child(TrovaCLIds::kAllHeaderId);
    int painted = 0;
    {
        ScopedGetDC screen(nullptr);
        ScopedCompatibleDC memory(screen);
        ScopedBitmap bitmap(CreateCompatibleBitmap(screen, kWidth, 20));
        ScopedSelectObject select(memory, bitmap);
        RECT all = {0, 0, kWidth, 20};
        FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT);
        for (int x = 0; x < kWidth; x += 4)
            if (GetPixel(memory, x, 10) != RGB(0, 0, 0))
                ++painted;
    }
    EXPECT_GT(painted, kWidth / 8) << "the header bar painted its skin background";

    ComPtr<IOleObject> ole(container.Control());
    container.calls.clear();
    container.Deactivate();
    EXPECT_EQ("OnInPlaceDeactivate", container.Calls());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1u, RefCount(ole.Get())) << "only the test holds the control";
    EXPECT_EQ(1u, container.Refs()) << "the control let go of its site";
}

TEST_F(ControlActivationTest, CreatedByClassIdentifierAfterRegistration) {
    // The test program registers the shipped library itself, so the class identifier leads to
    // this build's file whatever registered it before.
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring command = L"regsvr32.exe /s \"" + DistFile(L"TrovaCL.dll") + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(0u, exitCode);

    CStubContainer container(kWidth, kHeight);
    {
        ComPtr<IUnknown> control;
        ASSERT_EQ(S_OK,
                  CoCreateInstance(TrovaCLIds::kControlClassId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)));
        ASSERT_EQ(S_OK, container.Activate(control.Get()));
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(S_OK,
                  control->QueryInterface(TrovaCLIds::kDispatchId, reinterpret_cast<void**>(dispatch.GetAddressOf())));
        LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetChannelName")};
        DISPID id = 0;
        ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(TrovaCLIds::kDispIdGetChannelName, id);
    }
    ASSERT_TRUE(IsWindow(container.ControlWindow()));
    ASSERT_TRUE(container.WaitForSync());
    container.Deactivate();

    CLSID fromProgId = {};
    ASSERT_EQ(S_OK, CLSIDFromProgID(TrovaCLIds::kControlProgId, &fromProgId));
    EXPECT_TRUE(IsEqualCLSID(TrovaCLIds::kControlClassId, fromProgId));
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"TROVACL.TrovaCLCtrl", &fromProgId)) << "version-independent ProgID";
    EXPECT_TRUE(IsEqualCLSID(TrovaCLIds::kControlClassId, fromProgId));
}

TEST_F(ControlActivationTest, ReleasingAnActiveControlWithoutClosingItEndsCleanly) {
    CStubContainer container(kWidth, kHeight);
    HWND window = nullptr;
    {
        ComPtr<IUnknown> control;
        ASSERT_EQ(S_OK, CreateFromFactory(IID_PPV_ARGS(&control)));
        ASSERT_EQ(S_OK, container.Activate(control.Get()));
        window = container.ControlWindow();
        // A careless container drops its last reference while the control is active and its
        // synchronisation may still run.
        container.Abandon();
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1u, container.Refs());
    PumpPending();  // a posted synchronisation message finds no window
}

}  // namespace
