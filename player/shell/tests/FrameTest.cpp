#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/settings/Settings.h"
#include "framework/win/tests/TestHost.h"
#include "player/shell/MainFrame.h"
#include "player/shell/QuitConfirmDlg.h"
#include "player/shell/resource.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

// Answers a dialog that this thread shows while a message is being handled.
class CDialogAnswer {
public:
    explicit CDialogAnswer(std::function<void(HWND)> act) : act_(std::move(act)) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &CDialogAnswer::OnTimer);
    }
    ~CDialogAnswer() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    int Shown() const { return shown_; }

private:
    static BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 && ::IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !current_)
            return;
        ++current_->shown_;
        current_->act_(dialog);
    }

    static CDialogAnswer* current_;
    std::function<void(HWND)> act_;
    UINT_PTR timer_ = 0;
    int shown_ = 0;
};
CDialogAnswer* CDialogAnswer::current_ = nullptr;

void ClickButton(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A messenger's hidden window, recording the copy-data records it receives.
class CMessengerWindow : public CHiddenTestWindow {
public:
    struct Record {
        ULONG_PTR kind;
        std::wstring text;
    };
    std::vector<Record> records;

    CMessengerWindow() : CHiddenTestWindow(L"MsnMsgrUIManager") {}

    BEGIN_MSG_MAP(CMessengerWindow)
        MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
    END_MSG_MAP()

private:
    LRESULT OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL&) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const auto* text = static_cast<const wchar_t*>(data->lpData);
        const size_t count = data->cbData / sizeof(wchar_t);
        // The record carries its terminator, and nothing after it.
        std::wstring received = count && text[count - 1] == L'\0' ? std::wstring(text, count - 1) : L"<unterminated>";
        records.push_back(Record{data->dwData, received});
        return TRUE;
    }
};

// Records the non-client mouse messages the frame is sent.
class CNcMessageHook {
public:
    struct Call {
        UINT message;
        WPARAM code;
        POINT point;
    };

    explicit CNcMessageHook(HWND frame) {
        frame_ = frame;
        calls_ = &calls;
        hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, &CNcMessageHook::Hook, nullptr, ::GetCurrentThreadId());
    }
    ~CNcMessageHook() {
        ::UnhookWindowsHookEx(hook_);
        calls_ = nullptr;
    }
    std::vector<Call> calls;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && calls_ && sent->hwnd == frame_ &&
            (sent->message == WM_NCLBUTTONDOWN || sent->message == WM_NCMOUSEMOVE || sent->message == WM_NCLBUTTONUP))
            calls_->push_back(Call{sent->message, sent->wParam, PointFromLParam(sent->lParam)});
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static HWND frame_;
    static std::vector<Call>* calls_;
    HHOOK hook_ = nullptr;
};
HWND CNcMessageHook::frame_ = nullptr;
std::vector<CNcMessageHook::Call>* CNcMessageHook::calls_ = nullptr;

const std::wstring kNotice = L"\\0Music\\01\\0{0}-[{1}]\\0CCTV-1\\0Vantel\\0\\0\\0\\0";
const std::wstring kClearing = L"\\0Music\\01\\0\\0\\0\\0\\0\\0\\0";

bool Shown(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

SIZE SizeOf(const RECT& rect) { return SIZE{rect.right - rect.left, rect.bottom - rect.top}; }

// The frame as the player creates it, never shown unless a test needs it.
class MainFrame : public CShellTest {
protected:
    MainFrame() { Reopen(); }
    ~MainFrame() override {
        if (::IsWindow(window_))
            ::DestroyWindow(window_);
        frame_.reset();
    }

    // A new frame in place of the one that went.
    void Reopen() {
        frame_.reset(new CMainFrame);
        EXPECT_TRUE(frame_->CreateFrame(L"Vantel", SIZE{900, 560}));
        window_ = frame_->m_hWnd;
    }
    bool Alive() const { return ::IsWindow(window_) != FALSE; }
    bool InTray() const {
        return Alive() && ::GetAncestor(window_, GA_PARENT) == CSystemTray::ParkingWindow() && !Shown(window_);
    }
    // Clicks a navigation item as the user does.
    void ClickNavi(int id) {
        CNaviPanel& navi = frame_->View().Navi();
        for (const auto& item : navi.Items()) {
            if (item.id != id)
                continue;
            const LPARAM at =
                MakePointLParam((item.rect.left + item.rect.right) / 2, (item.rect.top + item.rect.bottom) / 2);
            navi.SendMessage(WM_MOUSEMOVE, 0, at);
            navi.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
            navi.SendMessage(WM_LBUTTONUP, 0, at);
        }
    }
    // Sends WM_CLOSE, answering a confirmation dialog with `answer`; returns how often one showed.
    int Close(std::function<void(HWND)> answer = [](HWND dialog) { ClickButton(dialog, IDCANCEL); }) {
        CDialogAnswer dialogs(std::move(answer));
        frame_->SendMessage(WM_CLOSE);
        return dialogs.Shown();
    }
    void Button(UINT message, UINT code) { frame_->SendMessage(message, code, 0); }
    HWND Movie() { return frame_->View().Movie().Window(); }

    std::unique_ptr<CMainFrame> frame_;
    HWND window_ = nullptr;
};

TEST(FrameGeometry, InitialSizeShrinksToSevenTenthsOfANarrowScreen) {
    const SIZE wide = InitialFrameSize(1920);
    EXPECT_EQ(900, wide.cx);
    EXPECT_EQ(560, wide.cy);
    const SIZE exact = InitialFrameSize(1286);
    EXPECT_EQ(900, exact.cx);
    const SIZE narrow = InitialFrameSize(1280);
    EXPECT_EQ(896, narrow.cx);
    EXPECT_EQ(557, narrow.cy);
    const SIZE small = InitialFrameSize(1000);
    EXPECT_EQ(700, small.cx);
    EXPECT_EQ(435, small.cy);
}

TEST_F(MainFrame, ClientAreaLiesInsideTheSkinnedBorderAndHoldsTheView) {
    const RECT window = frame_->GetWindowRect();
    const RECT client = frame_->GetClientRect();
    EXPECT_EQ(900, window.right - window.left);
    EXPECT_EQ(560, window.bottom - window.top);
    // The skinned border is chained in: no system caption, and the skin's buttons hit-tested.
    EXPECT_EQ(0, ::GetWindowLongW(window_, GWL_STYLE) & WS_CAPTION);
    const RECT close = CSkin::Instance()->CaptionButtonPlace(CSkin::CaptionButton::Close);
    EXPECT_EQ(HTCLOSE,
              frame_->SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.right + close.left, window.top + close.top)));
    EXPECT_EQ(window_, ::GetParent(frame_->View()));
    EXPECT_EQ(CMainFrame::kViewId, static_cast<UINT>(frame_->View().GetDlgCtrlID()));
    const SIZE view = SizeOf(frame_->View().GetClientRect());
    EXPECT_EQ(client.right, view.cx);
    EXPECT_EQ(client.bottom, view.cy);

    MINMAXINFO limits{};
    frame_->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(150, limits.ptMinTrackSize.x);
    EXPECT_EQ(100, limits.ptMinTrackSize.y);

    wchar_t item[32] = {};
    ::GetMenuStringW(::GetSystemMenu(window_, FALSE), CMainFrame::kOpenFileCommand, item, 32, MF_BYCOMMAND);
    EXPECT_STREQ(L"Open File", item);
    // The single-instance window belongs to the frame, and so does the player sink.
    EXPECT_EQ(window_, ::GetWindow(FindRunningPlayer(), GW_OWNER));
    EXPECT_TRUE(player_.HasSink());
}

TEST(ClosePolicy, SettingsAndRequestDecideWhatClosingDoes) {
    const struct {
        bool minimiseToTray;
        bool confirm;
        CloseRequest request;
        CloseAction expected;
    } cases[] = {
        {false, true, CloseRequest::kUser, CloseAction::kAskFirst},  // nothing stored
        {false, false, CloseRequest::kUser, CloseAction::kQuit},
        {true, true, CloseRequest::kUser, CloseAction::kHideToTray},
        {true, false, CloseRequest::kUser, CloseAction::kHideToTray},
        // The question answered: its choice is in the settings, and it is never asked twice.
        {false, true, CloseRequest::kConfirmed, CloseAction::kQuit},
        {false, false, CloseRequest::kConfirmed, CloseAction::kQuit},
        {true, true, CloseRequest::kConfirmed, CloseAction::kHideToTray},
        {true, false, CloseRequest::kConfirmed, CloseAction::kHideToTray},
        // The quit message of a second start asks nothing and never hides.
        {false, true, CloseRequest::kQuitNow, CloseAction::kQuit},
        {true, true, CloseRequest::kQuitNow, CloseAction::kQuit},
        {false, false, CloseRequest::kQuitNow, CloseAction::kQuit},
        {true, false, CloseRequest::kQuitNow, CloseAction::kQuit},
    };
    for (const auto& c : cases) {
        CloseSettings settings;
        settings.minimiseToTray = c.minimiseToTray;
        settings.confirm = c.confirm;
        EXPECT_EQ(c.expected, DecideClose(settings, c.request))
            << c.minimiseToTray << c.confirm << static_cast<int>(c.request);
    }
    const CloseSettings missing;
    EXPECT_FALSE(missing.minimiseToTray);
    EXPECT_TRUE(missing.confirm);
}

// The close path, one frame through the stored choices: the question while nothing is
// stored, its answer acted on at once, then never asked again.
TEST_F(MainFrame, CloseFollowsTheStoredChoiceAndTheAnswer) {
    // Cancel leaves the window where it was and stores nothing.
    EXPECT_EQ(1, Close([](HWND dialog) { ClickButton(dialog, IDCANCEL); }));
    EXPECT_TRUE(Alive());
    EXPECT_EQ(::GetDesktopWindow(), ::GetAncestor(window_, GA_PARENT));
    bool value = false;
    EXPECT_FALSE(ReadFlag(L"CloseConfirm", value));
    EXPECT_FALSE(ReadFlag(L"CloseMinimize", value));

    // Choosing to minimise hides to the tray at once.
    EXPECT_EQ(1, Close([](HWND dialog) {
                  ClickButton(dialog, IDC_QUIT_MINIMISE);
                  ClickButton(dialog, IDOK);
              }));
    EXPECT_TRUE(InTray());
    EXPECT_TRUE(ReadCloseMinimize());

    // Stored, it hides without asking.
    frame_->Activate();
    ASSERT_FALSE(InTray());
    EXPECT_EQ(0, Close());
    EXPECT_TRUE(InTray());

    // Asked again and confirmed, the frame quits: the tray icon and the player's sink go.
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", false));
    ASSERT_TRUE(WriteFlag(L"CloseConfirm", true));
    frame_->Activate();
    EXPECT_EQ(1, Close([](HWND dialog) { ClickButton(dialog, IDOK); }));
    EXPECT_FALSE(Alive());
    EXPECT_TRUE(frame_->Tray().IsIconRemoved());
    EXPECT_FALSE(player_.HasSink());

    // The next frame's close button quits without asking.
    Reopen();
    CDialogAnswer dialogs([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    Button(WM_NCLBUTTONUP, HTCLOSE);
    EXPECT_FALSE(Alive());
    EXPECT_EQ(0, dialogs.Shown());
}

TEST_F(MainFrame, QuitMessageClosesWithoutAskingEvenWithCloseMinimize) {
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", true));
    HWND singleton = FindRunningPlayer();
    ASSERT_TRUE(singleton);
    CDialogAnswer dialogs([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    EXPECT_EQ(0, ::SendMessageW(singleton, WM_PLAYER_QUIT, 0, 0));
    EXPECT_TRUE(PumpUntil([&] { return !Alive(); }, 2000));
    EXPECT_EQ(0, dialogs.Shown());
    EXPECT_TRUE(frame_->Tray().IsIconRemoved());
}

TEST_F(MainFrame, TrayExitQuitsWithoutAsking) {
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", true));
    CDialogAnswer dialogs([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    frame_->SendMessage(WM_COMMAND, ID_APP_EXIT);
    EXPECT_FALSE(Alive());
    EXPECT_EQ(0, dialogs.Shown());
    EXPECT_TRUE(frame_->Tray().IsIconRemoved());
}

// A link handed over while the quit takes the tray icon away (a call into the shell, which
// lets sent messages in) is not taken by the frame that is going: the second start then
// becomes the player itself. So for the close button and for the tray menu's Exit.
TEST_F(MainFrame, HandOffWhileTheQuitRemovesTheTrayIconIsNotTaken) {
    ASSERT_TRUE(WriteFlag(L"CloseConfirm", false));
    const std::function<void(CMainFrame&)> quits[] = {
        [](CMainFrame& frame) { frame.SendMessage(WM_CLOSE); },
        [](CMainFrame& frame) { frame.SendMessage(WM_COMMAND, ID_APP_EXIT); },
    };
    for (const auto& quit : quits) {
        if (!Alive())
            Reopen();
        if (frame_->Tray().IsIconRemoved())
            GTEST_SKIP() << "no notification area on this display";
        std::vector<RequestAnswer> answers;
        CFakeShellTray shell([&](DWORD request) {
            if (request == NIM_DELETE)
                answers.push_back(SendLinkToRunningInstance(L"trova://global/late"));
            return true;
        });
        ASSERT_EQ(shell.Window(), ::FindWindowW(L"Shell_TrayWnd", nullptr));
        player_.calls.clear();
        quit(*frame_);
        EXPECT_FALSE(Alive());
        ASSERT_EQ(1u, answers.size());
        EXPECT_NE(RequestAnswer::kTaken, answers[0]);
        for (const std::wstring& call : player_.calls)
            EXPECT_NE(L"1 trova://global/late", call);
    }
}

TEST_F(MainFrame, SecondStartRequestsBringTheFrameBackFromTheTray) {
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", true));
    Close();
    ASSERT_TRUE(InTray());
    EXPECT_EQ(RequestAnswer::kTaken, ActivateRunningInstance());
    EXPECT_TRUE(frame_->IsWindowVisible());
    EXPECT_EQ(::GetDesktopWindow(), ::GetAncestor(window_, GA_PARENT));

    Close();
    ASSERT_TRUE(InTray());
    frame_->View().OnNaviSelect(CChildView::kNaviOptions);
    player_.calls.clear();
    EXPECT_EQ(RequestAnswer::kTaken, SendLinkToRunningInstance(L"trova://global/xyz"));
    EXPECT_TRUE(frame_->IsWindowVisible());
    ASSERT_FALSE(player_.calls.empty());
    EXPECT_EQ(L"1 trova://global/xyz", player_.calls.back());

    // Minimised: shown normally again.
    frame_->ShowWindow(SW_MINIMIZE);
    EXPECT_EQ(RequestAnswer::kTaken, ActivateRunningInstance());
    EXPECT_FALSE(::IsIconic(window_));
}

TEST_F(MainFrame, OpenLinkShowsThePlayerPanel) {
    ClickNavi(CChildView::kNaviOptions);
    ASSERT_FALSE(Shown(Movie()));
    frame_->OpenLink(L"trova://global/xyz");
    EXPECT_TRUE(Shown(Movie()));
    EXPECT_FALSE(Shown(frame_->View().Options()));
}

TEST_F(MainFrame, VideoSizeMakesThePlayerWindowThatSizeAndKeepsTheCorner) {
    const RECT before = frame_->GetWindowRect();
    ASSERT_EQ(S_OK, player_.Fire(2, {UIntArg(640), UIntArg(360)}));
    RECT movie{};
    ::GetWindowRect(Movie(), &movie);
    EXPECT_EQ(640, movie.right - movie.left);
    EXPECT_EQ(360, movie.bottom - movie.top);
    const RECT after = frame_->GetWindowRect();
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
}

TEST_F(MainFrame, FramePositionChangesTellThePlayerToKeepUp) {
    player_.calls.clear();
    frame_->SetWindowPos(nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_FALSE(player_.calls.empty());
    EXPECT_EQ(L"3", player_.calls.back());
}

TEST_F(MainFrame, DraggingInsideTheVideoMovesTheWindowByItsCaption) {
    CNcMessageHook hook(window_);
    POINT origin{0, 0};
    ::ClientToScreen(Movie(), &origin);

    player_.Fire(5, {UIntArg(0), UIntArg(0), IntArg(10), IntArg(20)});
    EXPECT_TRUE(frame_->IsVideoDragging());
    player_.Fire(7, {UIntArg(0), UIntArg(0), IntArg(15), IntArg(25)});
    player_.Fire(4, {UIntArg(0), UIntArg(0), IntArg(16), IntArg(26)});
    EXPECT_FALSE(frame_->IsVideoDragging());
    player_.Fire(7, {UIntArg(0), UIntArg(0), IntArg(17), IntArg(27)});  // no drag any more

    ASSERT_EQ(3u, hook.calls.size());
    const UINT messages[] = {WM_NCLBUTTONDOWN, WM_NCMOUSEMOVE, WM_NCLBUTTONUP};
    const POINT points[] = {{10, 20}, {15, 25}, {16, 26}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(messages[i], hook.calls[i].message);
        EXPECT_EQ(static_cast<WPARAM>(HTCAPTION), hook.calls[i].code);
        EXPECT_EQ(origin.x + points[i].x, hook.calls[i].point.x);
        EXPECT_EQ(origin.y + points[i].y, hook.calls[i].point.y);
    }
}

TEST_F(MainFrame, PressOutsideTheVideoStartsNoDrag) {
    CNcMessageHook hook(window_);
    RECT client{};
    ::GetClientRect(Movie(), &client);
    player_.Fire(5, {UIntArg(0), UIntArg(0), IntArg(client.right), IntArg(5)});
    player_.Fire(5, {UIntArg(0), UIntArg(0), IntArg(-1), IntArg(5)});
    player_.Fire(7, {UIntArg(0), UIntArg(0), IntArg(5), IntArg(5)});
    player_.Fire(4, {UIntArg(0), UIntArg(0), IntArg(5), IntArg(5)});
    EXPECT_FALSE(frame_->IsVideoDragging());
    EXPECT_TRUE(hook.calls.empty());
}

class MessengerNotice : public MainFrame {
protected:
    CMessengerWindow first_, second_;
};

TEST_F(MessengerNotice, BothMessengersGetTheNoticeAndOneClearingWhenTheFrameGoes) {
    ASSERT_EQ(S_OK, player_.Fire(1));
    EXPECT_TRUE(frame_->IsNoticeShown());
    EXPECT_EQ(L"1 global 8081 abc &", list_.calls.empty() ? L"" : list_.calls.back());
    for (CMessengerWindow* messenger : {&first_, &second_}) {
        ASSERT_EQ(1u, messenger->records.size());
        EXPECT_EQ(1351u, messenger->records[0].kind);
        EXPECT_EQ(kNotice, messenger->records[0].text);
    }
    ::DestroyWindow(window_);
    frame_.reset();
    for (CMessengerWindow* messenger : {&first_, &second_}) {
        ASSERT_EQ(2u, messenger->records.size());
        EXPECT_EQ(kClearing, messenger->records[1].text);
        EXPECT_EQ(24u, messenger->records[1].text.size());
    }
}

TEST_F(MessengerNotice, SwitchedOffSendsNothing) {
    ASSERT_TRUE(WriteFlag(L"SendToMSN", false));
    player_.Fire(1);
    EXPECT_FALSE(frame_->IsNoticeShown());
    EXPECT_TRUE(first_.records.empty());
    EXPECT_TRUE(second_.records.empty());
}

TEST_F(MessengerNotice, UnknownChannelOrFailedCallsSendNothing) {
    list_.channelName.clear();
    player_.Fire(1);
    list_.channelName = L"CCTV-1";
    list_.nameStatus = -1;
    player_.Fire(1);
    player_.playingStatus = -1;
    list_.calls.clear();
    player_.Fire(1);
    EXPECT_TRUE(list_.calls.empty());
    EXPECT_FALSE(frame_->IsNoticeShown());
    ::DestroyWindow(window_);
    frame_.reset();
    EXPECT_TRUE(first_.records.empty());
    EXPECT_TRUE(second_.records.empty());
}

}  // namespace
