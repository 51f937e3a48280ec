// The framework's test control: one dispatch method that echoes a text and fires an event,
// a painted window, and a record of the framework calls it sees.

#include "framework/com/OleControl.h"
#include "framework/com/PropertyPage.h"
#include "framework/com/tests/TestControlApi.h"
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"

#include "TestControl.h"  // widl output (build folder)

#include <string>

namespace {

std::wstring g_log;

void Record(const std::wstring& call) {
    if (!g_log.empty())
        g_log += L';';
    g_log += call;
}

class CTestControl : public COleControlImpl<ITestCtlCalls> {
public:
    explicit CTestControl(const CClassEntry& entry) : COleControlImpl(entry) {
        SetDispatchInterface(DIID__DTestCtl);
        AddEventInterface(DIID__DTestCtlEvents);
    }

    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        Record(site ? L"SetClientSite" : L"SetClientSite(null)");
        return COleControl::SetClientSite(site);
    }

    STDMETHODIMP Echo(BSTR text, BSTR* reply, ULONG* length) override {
        if (!reply || !length)
            return E_POINTER;
        *reply = SysAllocStringLen(text, SysStringLen(text));
        *length = SysStringLen(text);
        FireEvent(DIID__DTestCtlEvents, 1, text ? text : L"");
        return S_OK;
    }

protected:
    ~CTestControl() override {
        // A container that released the control without closing it left the window.
        if (m_hWnd)
            DestroyWindow();
        Record(L"Destroyed");
    }

    void OnResetState() override { Record(L"InitNew"); }
    std::vector<CLSID> GetPropertyPages() const override { return {kTestCtlPageClsid}; }
    DWORD WindowStyle() const override { return COleControl::WindowStyle() | WS_CLIPCHILDREN; }

    BEGIN_MSG_MAP(CTestControl)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SIZE(OnSize)
        MSG_WM_DESTROY(OnDestroy)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        CHAIN_MSG_MAP(COleControl)
    END_MSG_MAP()

    int OnCreate(CREATESTRUCTW*) {
        Record(L"WM_CREATE");
        return 0;
    }
    void OnSize(UINT, SIZE size) { Record(L"WM_SIZE " + std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy)); }
    void OnDestroy() { Record(L"WM_DESTROY"); }
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
        ScopedPaintDC dc(m_hWnd);
        OnDraw(dc, GetClientRect());
        return 0;
    }

    void OnDraw(HDC dc, const RECT& bounds) override {
        // Solid teal with a dark frame: easy to find in a screenshot or a pixel check.
        SetDCBrushColor(dc, RGB(0, 128, 128));
        FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetDCBrushColor(dc, RGB(0, 32, 32));
        FrameRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
};

class CTestPage : public CPropertyPage {
public:
    CTestPage() : CPropertyPage(200, 200) {}
};

extern const CClassEntry kTestCtlEntry;
extern const CClassEntry kLateSiteEntry;

const CClassEntry kTestCtlEntry = [] {
    CClassEntry e = ControlEntryOf(CLSID_TestCtl, &CreateComInstance<CTestControl, kTestCtlEntry>, kTestCtlProgId, 1,
                                   kTestCtlMiscStatus, LIBID_TrovaComTestLib);
    e.toolboxBitmapId = 1;
    return e;
}();

const CClassEntry kLateSiteEntry =
    ControlEntryOf(CLSID_TestCtlLateSite, &CreateComInstance<CTestControl, kLateSiteEntry>, nullptr, 2,
                   kTestCtlMiscStatus & ~OLEMISC_SETCLIENTSITEFIRST, LIBID_TrovaComTestLib);

const CClassEntry kPageEntry =
    ClassEntryOf(kTestCtlPageClsid, &CreateComInstance<CTestPage>, L"Trova.TestCtlPage.1", 3);

const bool kClassesAdded = CComModule::Instance().AddClass(kTestCtlEntry) &&
                           CComModule::Instance().AddClass(kLateSiteEntry) &&
                           CComModule::Instance().AddClass(kPageEntry);

}  // namespace

extern "C" int WINAPI TestControlTakeLog(wchar_t* buffer, int size) {
    const int length = static_cast<int>(g_log.size());
    if (buffer && size > 0)
        lstrcpynW(buffer, g_log.c_str(), size);
    g_log.clear();
    return length;
}
