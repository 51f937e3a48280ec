// The container: creation, activation order, resize and release of the hosted control.

#include "framework/com/ControlHost.h"
#include "framework/com/tests/ComTestSupport.h"
#include "framework/win/Module.h"

#include "TestControl.h"

#include <olectl.h>

namespace {

constexpr UINT kHostId = 2003;
constexpr DWORD kHostStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;

HWND ControlWindow(const CControlHost& host) {
    ComPtr<IOleInPlaceObject> inPlace;
    HWND window = nullptr;
    if (SUCCEEDED(host.QueryControl(inPlace))) inPlace->GetWindow(&window);
    return window;
}

// A 32-bit memory bitmap selected into its own DC.
class CMemoryBitmap {
public:
    CMemoryBitmap(int width, int height) {
        const HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~CMemoryBitmap() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

class ControlHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CTestControlDll::Instance().GetClassObject(CLSID_TestCtl, IID_IClassFactory, &factory));
        CTestControlDll::Instance().TakeLog();
    }
    void TearDown() override {
        factory.Reset();
        EXPECT_EQ(S_OK, CTestControlDll::Instance().CanUnloadNow());
    }
    CParentWindow parent;
    ComPtr<IClassFactory> factory;
};

TEST_F(ControlHostTest, HostsTheControlInPlaceInAChildWindow) {
    CControlHost host;
    const RECT rect = {5, 6, 205, 406};
    ASSERT_EQ(S_OK, host.Create(parent.Get(), rect, kHostId, kHostStyle, factory.Get()));
    ASSERT_TRUE(IsWindow(host.Window()));
    EXPECT_EQ(parent.Get(), GetParent(host.Window()));
    EXPECT_EQ(kHostId, static_cast<UINT>(GetDlgCtrlID(host.Window())));
    EXPECT_TRUE(host.IsInPlaceActive());
    EXPECT_EQ(L"SetClientSite;InitNew;WM_CREATE;WM_SIZE 200x400", CTestControlDll::Instance().TakeLog());

    const HWND control = ControlWindow(host);
    ASSERT_TRUE(IsWindow(control));
    EXPECT_EQ(host.Window(), GetParent(control));
    RECT client;
    GetClientRect(control, &client);
    EXPECT_EQ(200, client.right);
    EXPECT_EQ(400, client.bottom);

    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, host.QueryControl(DIID__DTestCtl, reinterpret_cast<void**>(dispatch.GetAddressOf())));
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Echo")};
    DISPID id = 0;
    EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));

    // Ambient properties reach the control through its site.
    ComPtr<IOleObject> ole;
    ASSERT_EQ(S_OK, host.QueryControl(ole));
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(S_OK, ole->GetClientSite(&site));
    ComPtr<IDispatch> ambient;
    ASSERT_EQ(S_OK, site.As(&ambient));
    CScopedVariant userMode;
    DISPPARAMS none = {};
    ASSERT_EQ(S_OK, ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                    userMode.Receive(), nullptr, nullptr));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(userMode.Get()));
}

TEST_F(ControlHostTest, ResizesTheControlWithTheWindow) {
    CControlHost host;
    ASSERT_EQ(S_OK, host.Create(parent.Get(), {0, 0, 200, 400}, kHostId, kHostStyle, factory.Get()));
    CTestControlDll::Instance().TakeLog();
    MoveWindow(host.Window(), 10, 10, 150, 250, TRUE);
    RECT client;
    GetClientRect(ControlWindow(host), &client);
    EXPECT_EQ(150, client.right);
    EXPECT_EQ(250, client.bottom);
    EXPECT_EQ(L"WM_SIZE 150x250", CTestControlDll::Instance().TakeLog());
}

TEST_F(ControlHostTest, DestructionReleasesEveryReference) {
    ComPtr<IOleObject> kept;
    {
        CControlHost host;
        ASSERT_EQ(S_OK, host.Create(parent.Get(), {0, 0, 100, 100}, kHostId, kHostStyle, factory.Get()));
        ASSERT_EQ(S_OK, host.QueryControl(kept));
        EXPECT_GT(RefCount(kept.Get()), 1u) << "the host holds the control";
        CTestControlDll::Instance().TakeLog();
    }
    EXPECT_EQ(L"WM_DESTROY;SetClientSite(null)", CTestControlDll::Instance().TakeLog());
    EXPECT_EQ(1u, RefCount(kept.Get()));
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(S_OK, kept->GetClientSite(&site));
    EXPECT_EQ(nullptr, site.Get());
    kept.Reset();
    EXPECT_EQ(L"Destroyed", CTestControlDll::Instance().TakeLog());
}

TEST_F(ControlHostTest, DestroyingTheParentReleasesTheControl) {
    CControlHost host;
    {
        CParentWindow shortLived;
        ASSERT_EQ(S_OK, host.Create(shortLived.Get(), {0, 0, 100, 100}, kHostId, kHostStyle, factory.Get()));
    }
    EXPECT_EQ(nullptr, host.Window());
    EXPECT_EQ(nullptr, host.Control());
    EXPECT_EQ(L"SetClientSite;InitNew;WM_CREATE;WM_SIZE 100x100;WM_DESTROY;SetClientSite(null);Destroyed",
              CTestControlDll::Instance().TakeLog());
}

TEST_F(ControlHostTest, SetsTheSiteAfterInitNewWhenTheControlDoesNotAskFirst) {
    ComPtr<IClassFactory> late;
    ASSERT_EQ(S_OK, CTestControlDll::Instance().GetClassObject(CLSID_TestCtlLateSite, IID_IClassFactory, &late));
    CControlHost host;
    ASSERT_EQ(S_OK, host.Create(parent.Get(), {0, 0, 80, 60}, kHostId, kHostStyle, late.Get()));
    EXPECT_EQ(L"InitNew;SetClientSite;WM_CREATE;WM_SIZE 80x60", CTestControlDll::Instance().TakeLog());
}

TEST_F(ControlHostTest, UnknownClassLeavesNoWindow) {
    CControlHost host;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, host.Create(parent.Get(), {0, 0, 10, 10}, kHostId, kHostStyle, CLSID_TestCtl))
        << "the test control is not registered here";
    EXPECT_EQ(nullptr, host.Window());
    EXPECT_EQ(nullptr, GetDlgItem(parent.Get(), kHostId));
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(E_NOINTERFACE, host.QueryControl(dispatch));
}

TEST_F(ControlHostTest, CreatesARegisteredControlByClassIdentifier) {
    ASSERT_EQ(S_OK, CTestControlDll::Instance().Register());
    {
        CControlHost host;
        EXPECT_EQ(S_OK, host.Create(parent.Get(), {0, 0, 120, 90}, kHostId, kHostStyle, CLSID_TestCtl));
        EXPECT_TRUE(IsWindow(ControlWindow(host)));
    }
    EXPECT_EQ(S_OK, CTestControlDll::Instance().Unregister());
    CTestControlDll::Instance().TakeLog();
}

TEST_F(ControlHostTest, WindowClassIsUnregisteredWithTheOtherFrameworkClasses) {
    {
        CControlHost host;
        ASSERT_EQ(S_OK, host.Create(parent.Get(), {0, 0, 40, 30}, kHostId, kHostStyle, factory.Get()));
    }
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetClassInfoExW(ThisModule(), L"TrovaControlHost", &info));
    UnregisterWindowClasses();  // what a module does before it unloads
    EXPECT_FALSE(GetClassInfoExW(ThisModule(), L"TrovaControlHost", &info));
    CTestControlDll::Instance().TakeLog();
}

TEST_F(ControlHostTest, PaintsTheControlIntoTheHostWindow) {
    CControlHost host;
    ASSERT_EQ(S_OK, host.Create(parent.Get(), {0, 0, 60, 40}, kHostId, kHostStyle, factory.Get()));
    // Draw through IViewObject into a memory bitmap: the control's own painting.
    ComPtr<IViewObject> view;
    ASSERT_EQ(S_OK, host.QueryControl(view));
    CMemoryBitmap bitmap(60, 40);
    const HDC memory = bitmap.Dc();
    const RECTL bounds = {0, 0, 60, 40};
    EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory, &bounds, nullptr, nullptr, 0));
    EXPECT_EQ(RGB(0, 128, 128), GetPixel(memory, 30, 20));
    EXPECT_EQ(RGB(0, 32, 32), GetPixel(memory, 0, 0));
    EXPECT_EQ(DV_E_DVASPECT,
              view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, memory, &bounds, nullptr, nullptr, 0));
    CTestControlDll::Instance().TakeLog();
}

}  // namespace
