#include "framework/win/MessageMap.h"
#include "framework/win/Module.h"
#include "framework/win/Mouse.h"
#include "framework/win/tests/TestHost.h"
#include "framework/win/tests/TestMain.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

// Sees WM_SETTEXT without handling it, so the default procedure must still store the text.
#define MSG_WM_SETTEXT_DECLINED() \
    if (uMsg == WM_SETTEXT)       \
        calls.push_back("settext seen");

namespace {

const UINT WM_TEST_BOTH = WM_APP + 1;       // handled by derived and base map
const UINT WM_TEST_BASE_ONLY = WM_APP + 2;  // only the base map
const UINT WM_TEST_DECLINE = WM_APP + 3;    // derived declines, base handles
const UINT WM_TEST_NOBODY = WM_APP + 4;     // both decline: default processing

RECT ChildRect() { return RECT{0, 0, 100, 80}; }

class CRecordingBase : public CWindowImpl {
public:
    std::vector<std::string> calls;

    BEGIN_MSG_MAP(CRecordingBase)
        MESSAGE_HANDLER(WM_TEST_BOTH, OnBaseMessage)
        MESSAGE_HANDLER(WM_TEST_BASE_ONLY, OnBaseMessage)
        MESSAGE_HANDLER(WM_TEST_DECLINE, OnBaseMessage)
        MSG_WM_SIZE(OnBaseSize)
    END_MSG_MAP()

    LRESULT OnBaseMessage(UINT message, WPARAM, LPARAM, BOOL&) {
        calls.push_back("base " + std::to_string(message - WM_APP));
        return 100 + (message - WM_APP);
    }
    void OnBaseSize(UINT, SIZE size) { calls.push_back("base size " + std::to_string(size.cx)); }

protected:
    WindowClassSpec GetWindowClassSpec() const override {
        WindowClassSpec windowClass;
        windowClass.name = L"TrovaTestRecording";
        return windowClass;
    }
};

class CRecordingWindow : public CRecordingBase {
public:
    BEGIN_MSG_MAP(CRecordingWindow)
        MSG_WM_CREATE(OnCreate)
        MESSAGE_HANDLER(WM_TEST_BOTH, OnDerivedMessage)
        MESSAGE_HANDLER(WM_TEST_DECLINE, OnDeclined)
        MESSAGE_HANDLER(WM_TEST_NOBODY, OnDeclined)
        MSG_WM_SIZE(OnSize)
        MSG_WM_SETTEXT_DECLINED()
        CHAIN_MSG_MAP(CRecordingBase)
    END_MSG_MAP()

    int OnCreate(CREATESTRUCTW*) {
        // Default creation first, as the windows of the product do.
        const LRESULT defaultResult = DefWindowProc();
        calls.push_back("create " + std::to_string(defaultResult));
        return 0;
    }
    LRESULT OnDerivedMessage(UINT message, WPARAM, LPARAM, BOOL&) {
        calls.push_back("derived " + std::to_string(message - WM_APP));
        return 200 + (message - WM_APP);
    }
    LRESULT OnDeclined(UINT message, WPARAM, LPARAM, BOOL& handled) {
        calls.push_back("declined " + std::to_string(message - WM_APP));
        handled = FALSE;
        return 999;
    }
    void OnSize(UINT, SIZE size) {
        calls.push_back("size " + std::to_string(size.cx) + "x" + std::to_string(size.cy));
        SetMsgHandled(FALSE);  // let the base see it too
    }
};
}  // namespace

TEST(WindowMessageMap, CreateBindsAndRunsDefaultCreation) {
    CRecordingWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"title", WS_CHILD | WS_VISIBLE, 0, 7));
    ASSERT_FALSE(window.calls.empty());
    EXPECT_EQ("create 0", window.calls.front());
    EXPECT_EQ(7, window.GetDlgCtrlID());
    EXPECT_EQ(L"title", window.GetWindowText());
}

TEST(WindowMessageMap, DerivedEntriesComeFirstAndChainToTheBase) {
    CRecordingWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD));
    window.calls.clear();

    EXPECT_EQ(201, window.SendMessage(WM_TEST_BOTH));
    EXPECT_EQ(102, window.SendMessage(WM_TEST_BASE_ONLY));
    EXPECT_EQ(103, window.SendMessage(WM_TEST_DECLINE));
    const std::vector<std::string> expected{"derived 1", "base 2", "declined 3", "base 3"};
    EXPECT_EQ(expected, window.calls);
}

TEST(WindowMessageMap, UnhandledMessagesGetDefaultProcessing) {
    CRecordingWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD));
    window.calls.clear();

    // Both maps decline: DefWindowProc answers 0 for an application message.
    EXPECT_EQ(0, window.SendMessage(WM_TEST_NOBODY));
    window.SetWindowText(L"changed");
    EXPECT_EQ(L"changed", window.GetWindowText());
    const std::vector<std::string> expected{"declined 4", "settext seen"};
    EXPECT_EQ(expected, window.calls);
}

TEST(WindowMessageMap, TypedHandlerDecliningPassesToTheBaseMap) {
    CRecordingWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD));
    window.calls.clear();
    ::SetWindowPos(window, nullptr, 0, 0, 60, 40, SWP_NOZORDER | SWP_NOMOVE);
    const std::vector<std::string> expected{"size 60x40", "base size 60"};
    EXPECT_EQ(expected, window.calls);
}

namespace {
// Handles one notification of one control; everything else goes on to default processing.
class CNotifyWindow : public CWindowImpl {
public:
    std::vector<UINT> codes;

    BEGIN_MSG_MAP(CNotifyWindow)
        NOTIFY_HANDLER_EX(7, NM_CLICK, OnClick)
    END_MSG_MAP()

private:
    LRESULT OnClick(NMHDR* header) {
        codes.push_back(header->code);
        return 55;
    }
};
}  // namespace

TEST(WindowMessageMap, NotifyHandlerMatchesControlAndCode) {
    CNotifyWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD));
    NMHDR click{nullptr, 7, static_cast<UINT>(NM_CLICK)};
    NMHDR otherCode{nullptr, 7, static_cast<UINT>(NM_DBLCLK)};
    NMHDR otherControl{nullptr, 8, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(55, window.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&click)));
    EXPECT_EQ(0, window.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&otherCode)));
    EXPECT_EQ(0, window.SendMessage(WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&otherControl)));
    EXPECT_EQ(std::vector<UINT>{static_cast<UINT>(NM_CLICK)}, window.codes);
}

namespace {
class CScrolledWindow : public CWindowImpl {
public:
    std::vector<int> thumbPositions;

    BEGIN_MSG_MAP(CScrolledWindow)
        MSG_WM_VSCROLL(OnVScroll)
    END_MSG_MAP()

private:
    void OnVScroll(int, int thumbPosition, HWND) { thumbPositions.push_back(thumbPosition); }
};
}  // namespace

TEST(WindowMessageMap, ScrollThumbPositionIsTheMessagesUnsignedWord) {
    CScrolledWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD));
    window.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40000));
    EXPECT_EQ(std::vector<int>{40000}, window.thumbPositions);
}

namespace {
// Destroys itself from inside its own handlers and deletes itself in OnFinalMessage.
class CSelfDestroyingWindow : public CWindowImpl {
public:
    explicit CSelfDestroyingWindow(std::vector<std::string>& log) : log_(log) {}

    BEGIN_MSG_MAP(CSelfDestroyingWindow)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_RBUTTONDOWN(OnRButtonDown)
        MSG_WM_DESTROY(OnDestroy)
    END_MSG_MAP()

    void OnLButtonDown(UINT, POINT) {
        ::DestroyWindow(m_hWnd);
        log_.push_back(m_hWnd ? "still bound" : "unbound in handler");
    }
    void OnRButtonDown(UINT, POINT) {
        ::DestroyWindow(m_hWnd);
        SetMsgHandled(FALSE);  // default processing must not run on the dead window
    }
    void OnDestroy() { log_.push_back("destroy"); }

protected:
    void OnFinalMessage(HWND) override {
        log_.push_back("final");
        delete this;
    }

private:
    std::vector<std::string>& log_;
};
}  // namespace

// A handler that destroys its window is safe, a handler declining afterwards gets no default
// processing on the dead window, and the final message comes last, at once.
TEST(WindowLifetime, WindowDestroyedInOrOutsideItsHandlersGetsTheFinalMessageLast) {
    const struct {
        const char* how;
        UINT message;  // 0: DestroyWindow from outside
        std::vector<std::string> expected;
    } cases[] = {
        {"by its handler", WM_LBUTTONDOWN, {"destroy", "unbound in handler", "final"}},
        {"by its handler, which then declines", WM_RBUTTONDOWN, {"destroy", "final"}},
        {"from outside", 0, {"destroy", "final"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        CTestHost host;
        std::vector<std::string> log;
        auto* window = new CSelfDestroyingWindow(log);
        HWND hwnd = window->Create(host, ChildRect(), L"", WS_CHILD);
        ASSERT_TRUE(hwnd);
        if (c.message)
            EXPECT_EQ(0, ::SendMessageW(hwnd, c.message, 0, MakePointLParam(1, 1)));
        else
            ::DestroyWindow(hwnd);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(c.expected, log);
    }
}

TEST(WindowLifetime, WindowOutlivingItsObjectIsReportedAndStillDestroyed) {
    CTestHost host;
    CDebugOutputCapture output;
    HWND child = nullptr;
    ExpectWindowOutlivingItsObject();
    EXPECT_DEBUG_DEATH(
        {
            CRecordingWindow window;
            child = window.Create(host, ChildRect(), L"", WS_CHILD);
        },
        "window outlived its object");
    EXPECT_FALSE(::IsWindow(child));
#ifdef NDEBUG
    EXPECT_NE(std::string::npos, output.Text().find("window of class TrovaTestRecording outlived its object"))
        << output.Text();
#endif
}

TEST(WindowLifetime, ParentDestroysChildrenAndTheObjectCanCreateAgain) {
    CTestHost host;
    CRecordingWindow window;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD));
    ::DestroyWindow(host);
    EXPECT_EQ(nullptr, window.m_hWnd);
    // A new window can be made with the same object.
    CTestHost secondHost;
    EXPECT_TRUE(window.Create(secondHost, ChildRect(), L"", WS_CHILD));
}

TEST(WindowClass, RegisteredOnceInThisModule) {
    CRecordingWindow first;
    CRecordingWindow second;
    CTestHost host;
    ASSERT_TRUE(first.Create(host, ChildRect(), L"", WS_CHILD));
    ASSERT_TRUE(second.Create(host, ChildRect(), L"", WS_CHILD));
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetClassInfoExW(ThisModule(), L"TrovaTestRecording", &info));
    EXPECT_EQ(&CWindowImpl::StaticWindowProc, info.lpfnWndProc);
    EXPECT_TRUE(info.style & CS_DBLCLKS);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(ThisModule()), ::GetWindowLongPtrW(first, GWLP_HINSTANCE));

    WindowClassSpec windowClass;
    windowClass.name = L"TrovaTestRecording";
    EXPECT_EQ(reinterpret_cast<WNDPROC>(::DefWindowProcW), EnsureWindowClass(windowClass));
    windowClass.name = L"TrovaTestNoSuchBase";
    windowClass.superclassOf = L"NoSuchSystemClass";
    EXPECT_EQ(nullptr, EnsureWindowClass(windowClass));
}

TEST(WindowClass, RegistrationRefusedIsTracedWithItsError) {
    // A class of this module under the name, but with a procedure that is not ours.
    WNDCLASSW foreign{};
    foreign.lpfnWndProc = ::DefWindowProcW;
    foreign.hInstance = ThisModule();
    foreign.lpszClassName = L"TrovaTestForeign";
    ASSERT_TRUE(::RegisterClassW(&foreign));
    CDebugOutputCapture output;
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaTestForeign";
    EXPECT_EQ(nullptr, EnsureWindowClass(windowClass));
    ::UnregisterClassW(L"TrovaTestForeign", ThisModule());
    EXPECT_NE(std::string::npos, output.Text().find("RegisterClassEx of class TrovaTestForeign: HRESULT 0x8007"))
        << output.Text();
}

namespace {
// Subclassed edit: sees key messages, leaves text handling to the edit's own procedure.
class CEditSubclass : public CWindowImpl {
public:
    std::vector<UINT> keys;
    BEGIN_MSG_MAP(CEditSubclass)
        MSG_WM_CHAR(OnChar)
    END_MSG_MAP()
    void OnChar(UINT code, UINT, UINT) {
        keys.push_back(code);
        if (code == L'x')
            return;  // swallowed: the edit never sees it
        SetMsgHandled(FALSE);
    }
};

// Superclassed edit: its own class, WM_CREATE seen, answers reflected colour requests.
class CColorEdit : public CWindowImpl {
public:
    ScopedBrush brush{::CreateSolidBrush(RGB(10, 200, 30))};
    bool created = false;
    bool answerColors = true;

    BEGIN_MSG_MAP(CColorEdit)
        MSG_WM_CREATE(OnCreate)
        MSG_REFLECTED_CTLCOLOR(WM_CTLCOLOREDIT, OnCtlColor)
    END_MSG_MAP()

    int OnCreate(CREATESTRUCTW*) {
        const LRESULT result = DefWindowProc();
        created = true;
        return static_cast<int>(result);
    }
    HBRUSH OnCtlColor(HDC dc, HWND) {
        if (!answerColors) {
            SetMsgHandled(FALSE);
            return nullptr;
        }
        ::SetTextColor(dc, RGB(186, 186, 186));
        return brush;
    }

protected:
    WindowClassSpec GetWindowClassSpec() const override {
        WindowClassSpec windowClass;
        windowClass.name = L"TrovaTestColorEdit";
        windowClass.superclassOf = L"EDIT";
        return windowClass;
    }
};
}  // namespace

TEST(WindowSubclass, SystemControlKeepsItsOwnDefaultProcessing) {
    CTestHost host;
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 100, 20, host, nullptr,
                                  ThisModule(), nullptr);
    ASSERT_TRUE(edit);
    const LONG_PTR original = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
    CEditSubclass subclass;
    ASSERT_TRUE(subclass.Subclass(edit));
    EXPECT_FALSE(CEditSubclass().Subclass(edit));  // one binding per window

    ::SendMessageW(edit, WM_CHAR, L'a', 1);
    ::SendMessageW(edit, WM_CHAR, L'x', 1);
    ::SendMessageW(edit, WM_CHAR, L'b', 1);
    EXPECT_EQ(L"ab", subclass.GetWindowText());
    EXPECT_EQ((std::vector<UINT>{L'a', L'x', L'b'}), subclass.keys);
    EXPECT_EQ(2, ::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0));

    EXPECT_EQ(edit, subclass.Unsubclass());
    EXPECT_EQ(original, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));
    ::SendMessageW(edit, WM_CHAR, L'x', 1);
    EXPECT_EQ(L"abx", CWindow(edit).GetWindowText());
    ::DestroyWindow(edit);
}

TEST(WindowSubclass, SubclassEndsWhenTheControlIsDestroyed) {
    CTestHost host;
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 100, 20, host, nullptr, ThisModule(), nullptr);
    CEditSubclass subclass;
    ASSERT_TRUE(subclass.Subclass(edit));
    ::DestroyWindow(edit);
    EXPECT_EQ(nullptr, subclass.m_hWnd);
}

TEST(WindowSubclass, SuperclassedEditSeesCreateAndWorksAsAnEdit) {
    CColorEdit edit;
    CTestHost host;
    ASSERT_TRUE(edit.Create(host, ChildRect(), L"start", WS_CHILD | ES_MULTILINE, 0, 1001));
    EXPECT_TRUE(edit.created);
    EXPECT_EQ(L"start", edit.GetWindowText());
    ::SendMessageW(edit, EM_SETSEL, 5, 5);
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L" more"));
    EXPECT_EQ(L"start more", edit.GetWindowText());
}

TEST(WindowReflection, ParentReflectsColourRequestsToTheChild) {
    CColorEdit edit;
    CTestHost host;
    ASSERT_TRUE(edit.Create(host, ChildRect(), L"", WS_CHILD, 0, 1001));
    ScopedGetDC dc(edit);
    ::SetTextColor(dc, RGB(0, 0, 0));
    LRESULT brush = ::SendMessageW(host, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.Get()),
                                   reinterpret_cast<LPARAM>(edit.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LRESULT>(edit.brush.Get()), brush);
    EXPECT_EQ(RGB(186, 186, 186), ::GetTextColor(dc));

    // A child that does not answer leaves the request to the parent's default processing.
    edit.answerColors = false;
    brush = ::SendMessageW(host, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.Get()),
                           reinterpret_cast<LPARAM>(edit.m_hWnd));
    EXPECT_NE(0, brush);
    EXPECT_NE(reinterpret_cast<LRESULT>(edit.brush.Get()), brush);
}

namespace {
class CTimerWindow : public CWindowImpl {
public:
    std::vector<UINT_PTR> ticks;
    BEGIN_MSG_MAP(CTimerWindow)
        MSG_WM_TIMER(OnTimer)
    END_MSG_MAP()
    void OnTimer(UINT_PTR id) { ticks.push_back(id); }
};
}  // namespace

TEST(WindowTimers, ScopedTimerTicksUntilStopped) {
    CTimerWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD));
    {
        ScopedTimer timer;
        ASSERT_TRUE(timer.Start(window, 188, 10));
        EXPECT_TRUE(PumpUntil([&] { return window.ticks.size() >= 2; }, 2000));
    }
    const size_t seen = window.ticks.size();
    EXPECT_EQ(188u, window.ticks.front());
    ::Sleep(50);
    PumpMessages();
    EXPECT_EQ(seen, window.ticks.size());
}

TEST(WindowMouse, ScopedCaptureReleasesOnlyItsOwnCapture) {
    CTimerWindow window;
    CTimerWindow other;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, ChildRect(), L"", WS_CHILD | WS_VISIBLE));
    ASSERT_TRUE(other.Create(host, ChildRect(), L"", WS_CHILD | WS_VISIBLE));
    {
        ScopedMouseCapture capture(window);
        EXPECT_TRUE(window.HasCapture());
    }
    EXPECT_EQ(nullptr, ::GetCapture());
    {
        ScopedMouseCapture capture(window);
        other.SetCapture();
    }
    EXPECT_TRUE(other.HasCapture());
    window.ReleaseCapture();  // not ours: no effect
    EXPECT_TRUE(other.HasCapture());
    other.ReleaseCapture();
    EXPECT_EQ(nullptr, ::GetCapture());
}
