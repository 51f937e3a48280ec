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
class CMessengerWindow : public CWindowImpl {
public:
    struct Record {
        ULONG_PTR kind;
        std::wstring text;
    };
    std::vector<Record> records;

    CMessengerWindow() { Create(nullptr, RECT{0, 0, 0, 0}, L"", WS_POPUP); }
    ~CMessengerWindow() override {
        if (m_hWnd)
            DestroyWindow();
    }

    BEGIN_MSG_MAP(CMessengerWindow)
        MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override {
        WindowClassSpec windowClass;
        windowClass.name = L"MsnMsgrUIManager";
        return windowClass;
    }

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

// A whole file's bytes; empty when it cannot be read.
struct CFileText {
    explicit CFileText(const std::wstring& path) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
            text.append(buffer, read);
        ::CloseHandle(file);
    }
    std::string text;
};

SIZE SizeOf(const RECT& rect) { return SIZE{rect.right - rect.left, rect.bottom - rect.top}; }

// The pixels of a skin image, row by row.
std::vector<COLORREF> ImagePixels(const CSkinImage& image) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x)
            pixels.push_back(::GetPixel(image.Dc(), x, y));
    }
    return pixels;
}

// What a window shows where a caption button's image lies (anchor from the top-right corner).
std::vector<COLORREF> ButtonPixels(HWND window, CSkin::CaptionButton anchor, const CSkinImage& image) {
    const CSkin& skin = *CSkin::Instance();
    RECT place = skin.CaptionButtonPlace(anchor);
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    ::OffsetRect(&place, bounds.right - bounds.left, 0);
    std::vector<COLORREF> pixels;
    ScopedWindowDC dc(window);
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x)
            pixels.push_back(::GetPixel(dc, place.left + x, place.top + y));
    }
    return pixels;
}

// The frame as the player creates it, never shown unless a test needs it.
class MainFrame : public CShellTest {
protected:
    MainFrame() : frame_(new CMainFrame) {
        EXPECT_TRUE(frame_->CreateFrame(L"Vantel", SIZE{900, 560}));
        window_ = frame_->m_hWnd;
    }
    ~MainFrame() override {
        if (::IsWindow(window_))
            ::DestroyWindow(window_);
        frame_.reset();
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
            const LPARAM at = MakePointLParam((item.rect.left + item.rect.right) / 2, (item.rect.top + item.rect.bottom) / 2);
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

TEST_F(MainFrame, HitTestFollowsTheSkinnedBorderCaptionAndButtons) {
    const CSkin* skin = CSkin::Instance();
    const RECT r{100, 50, 1000, 610};
    auto at = [&](LONG x, LONG y) { return SkinHitTest(skin, r, POINT{x, y}); };
    // One pixel at each corner sizes diagonally.
    EXPECT_EQ(HTTOPLEFT, at(100, 50));
    EXPECT_EQ(HTTOPRIGHT, at(999, 50));
    EXPECT_EQ(HTBOTTOMLEFT, at(100, 609));
    EXPECT_EQ(HTBOTTOMRIGHT, at(999, 609));
    // The top edge is a 3-pixel band between the corners; below it the caption.
    EXPECT_EQ(HTTOP, at(500, 50));
    EXPECT_EQ(HTTOP, at(500, 52));
    EXPECT_EQ(HTCAPTION, at(500, 53));
    EXPECT_EQ(HTCAPTION, at(500, 75));
    EXPECT_EQ(HTLEFT, at(100, 300));
    EXPECT_EQ(HTRIGHT, at(999, 300));
    EXPECT_EQ(HTBOTTOM, at(500, 609));
    // The 20 x 20 box at the top-left opens the system menu.
    EXPECT_EQ(HTSYSMENU, at(110, 60));
    EXPECT_EQ(HTSYSMENU, at(119, 69));
    EXPECT_EQ(HTCAPTION, at(120, 60));
    EXPECT_EQ(HTCAPTION, at(110, 70));
    // Buttons at their anchors, relative to the top-right corner.
    const RECT close = skin->CaptionButtonPlace(CSkin::CaptionButton::Close);
    const RECT maximise = skin->CaptionButtonPlace(CSkin::CaptionButton::Maximize);
    const RECT minimise = skin->CaptionButtonPlace(CSkin::CaptionButton::Minimize);
    EXPECT_EQ(HTCLOSE, at(r.right + close.left, r.top + close.top));
    EXPECT_EQ(HTCLOSE, at(r.right + close.right - 1, r.top + close.bottom - 1));
    EXPECT_NE(HTCLOSE, at(r.right + close.right, r.top + close.top));
    EXPECT_EQ(HTMAXBUTTON, at(r.right + maximise.left, r.top + maximise.top));
    EXPECT_EQ(HTMINBUTTON, at(r.right + minimise.left, r.top + minimise.top));
    EXPECT_EQ(HTMINBUTTON, at(r.right + minimise.right - 1, r.top + minimise.top));
    EXPECT_EQ(HTNOWHERE, at(500, 300));

    // The frame answers the same for its own rectangle.
    const RECT window = frame_->GetWindowRect();
    EXPECT_EQ(HTTOPLEFT, frame_->SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.left, window.top)));
    EXPECT_EQ(HTCLOSE, frame_->SendMessage(WM_NCHITTEST, 0,
                                           MakePointLParam(window.right + close.left, window.top + close.top)));

    EXPECT_EQ(HTNOWHERE, SkinHitTest(nullptr, r, POINT{100, 50}));
    CSkin::Destroy();  // an instance without a loaded skin
    for (POINT p : {POINT{100, 50}, POINT{500, 50}, POINT{110, 60}, POINT{r.right + close.left, r.top + close.top}})
        EXPECT_EQ(HTNOWHERE, SkinHitTest(CSkin::Instance(), r, p));
}

TEST_F(MainFrame, ClientAreaLiesInsideTheSkinnedBorderAndHoldsTheView) {
    const CSkin* skin = CSkin::Instance();
    const RECT window = frame_->GetWindowRect();
    const RECT client = frame_->GetClientRect();
    EXPECT_EQ(900, window.right - window.left);
    EXPECT_EQ(560, window.bottom - window.top);
    EXPECT_EQ(900 - skin->Frame(CSkin::FramePart::Left).Width() - skin->Frame(CSkin::FramePart::Right).Width(),
              client.right);
    EXPECT_EQ(560 - skin->Frame(CSkin::FramePart::Top).Height() - skin->Frame(CSkin::FramePart::Bottom).Height(),
              client.bottom);
    EXPECT_EQ(0, ::GetWindowLongW(window_, GWL_STYLE) & WS_CAPTION);
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

TEST_F(MainFrame, CaptionButtonActsOnlyWhenPressedAndReleasedOnIt) {
    ASSERT_TRUE(WriteFlag(L"CloseConfirm", false));
    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    EXPECT_EQ(static_cast<UINT>(HTCLOSE), frame_->PressedButton());
    Button(WM_NCLBUTTONUP, HTCAPTION);
    EXPECT_EQ(static_cast<UINT>(CMainFrame::kNoButton), frame_->PressedButton());
    EXPECT_TRUE(Alive());

    Button(WM_NCLBUTTONDOWN, HTNOWHERE);
    Button(WM_NCLBUTTONUP, HTCLOSE);
    EXPECT_TRUE(Alive());

    Button(WM_NCLBUTTONDOWN, HTMINBUTTON);
    Button(WM_NCLBUTTONUP, HTCLOSE);  // another button than the one pressed
    EXPECT_TRUE(Alive());
    EXPECT_FALSE(::IsIconic(window_));

    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    Button(WM_NCLBUTTONUP, HTCLOSE);
    EXPECT_FALSE(Alive());
}

// A press holds the mouse: losing it ends the press, and the release then does nothing.
TEST_F(MainFrame, LostCaptureEndsACaptionButtonPress) {
    CDialogAnswer dialogs([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    CTestHost other;
    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    ::SetCapture(other);
    EXPECT_EQ(static_cast<UINT>(CMainFrame::kNoButton), frame_->PressedButton());
    Button(WM_NCLBUTTONUP, HTCLOSE);
    EXPECT_TRUE(Alive());
    EXPECT_EQ(0, dialogs.Shown());
    ::ReleaseCapture();

    // While it holds the mouse, the release arrives in client coordinates.
    ASSERT_TRUE(WriteFlag(L"CloseConfirm", false));
    const RECT window = frame_->GetWindowRect();
    const RECT close = CSkin::Instance()->CaptionButtonPlace(CSkin::CaptionButton::Close);
    POINT onClose{window.right + close.left + 1, window.top + close.top + 1};
    ::ScreenToClient(window_, &onClose);
    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    EXPECT_EQ(window_, ::GetCapture());
    frame_->SendMessage(WM_LBUTTONUP, 0, MakePointLParam(onClose.x, onClose.y));
    EXPECT_FALSE(Alive());
}

// A press dragged off its button and released there shows the button at rest again, whether
// the release comes as a non-client message or, with the mouse held, to the client area.
TEST_F(MainFrame, CaptionButtonPressReleasedOffItShowsTheRestingImageAgain) {
    frame_->ShowWindow(SW_SHOWNOACTIVATE);
    PumpUntil([] { return false; }, 300);
    const CSkin& skin = *CSkin::Instance();
    const CSkinImage& resting = skin.Caption(CSkin::CaptionImage::CloseBtn);
    const std::vector<COLORREF> rest = ImagePixels(resting);
    const std::vector<COLORREF> down = ImagePixels(skin.Caption(CSkin::CaptionImage::CloseDown));
    ASSERT_NE(rest, down);

    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    ASSERT_EQ(down, ButtonPixels(window_, CSkin::CaptionButton::Close, resting));
    Button(WM_NCLBUTTONUP, HTCAPTION);
    EXPECT_EQ(rest, ButtonPixels(window_, CSkin::CaptionButton::Close, resting));

    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    ASSERT_EQ(window_, ::GetCapture());
    frame_->SendMessage(WM_LBUTTONUP, 0, MakePointLParam(100, 100));
    EXPECT_EQ(rest, ButtonPixels(window_, CSkin::CaptionButton::Close, resting));
    EXPECT_TRUE(Alive());
}

// The buttons lie on each other in the order the skin's frame defines them: minimise,
// maximise, close. Hit testing keeps its own order (close, minimise, maximise).
TEST_F(MainFrame, CaptionButtonsAreDrawnInTheSkinsOrder) {
    std::string description;
    {
        CFileText file(DistFolder() + L"\\skin\\general\\skin.xml");
        description = file.text;
    }
    // A skin whose maximise button lies on its minimise button.
    const std::string minimise = "<anchor name=\"Minimize\" rect=\"", maximise = "<anchor name=\"Maximize\" rect=\"";
    const size_t minAt = description.find(minimise), maxAt = description.find(maximise);
    ASSERT_NE(std::string::npos, minAt);
    ASSERT_NE(std::string::npos, maxAt);
    const size_t minRect = minAt + minimise.size(), maxRect = maxAt + maximise.size();
    const std::string place = description.substr(minRect, description.find('"', minRect) - minRect);
    description.replace(maxRect, description.find('"', maxRect) - maxRect, place);
    CSkin::Destroy();
    SkinFolder folder;
    CopyDefaultSkin(folder);
    folder.WriteFile(L"skin.xml", description);
    ASSERT_TRUE(CSkin::Instance()->Load(folder.Module()));
    const CSkin& skin = *CSkin::Instance();
    ASSERT_TRUE(::EqualRect(&skin.CaptionButtonPlace(CSkin::CaptionButton::Minimize),
                            &skin.CaptionButtonPlace(CSkin::CaptionButton::Maximize)));

    frame_->ShowWindow(SW_SHOWNOACTIVATE);
    PumpUntil([] { return false; }, 300);
    const CSkinImage& maximiseAtRest = skin.Caption(CSkin::CaptionImage::MaximiseBtn);
    ASSERT_NE(ImagePixels(skin.Caption(CSkin::CaptionImage::MinimiseBtn)), ImagePixels(maximiseAtRest));
    Button(WM_NCMOUSEMOVE, HTCAPTION);
    EXPECT_EQ(ImagePixels(maximiseAtRest), ButtonPixels(window_, CSkin::CaptionButton::Minimize, maximiseAtRest));

    const RECT window = frame_->GetWindowRect();
    const RECT both = skin.CaptionButtonPlace(CSkin::CaptionButton::Minimize);
    EXPECT_EQ(HTMINBUTTON, frame_->SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.right + both.left, window.top + both.top)));
}

// Without the skin's frame pieces the system's caption and border stay, so that the window
// can still be moved, sized and closed with the mouse.
TEST_F(MainFrame, DamagedSkinLeavesTheSystemCaptionAndBorder) {
    std::string shipped;
    {
        CFileText file(DistFolder() + L"\\skin\\general\\skin.xml");
        shipped = file.text;
    }
    ASSERT_GT(shipped.size(), 100u);
    const std::string damaged[] = {
        shipped.substr(0, shipped.size() / 2),       // truncated
        std::string("\x7f" "ELF\0<<skin>>\xff\xfe", 15),  // garbage
        shipped,                                     // without its bitmaps
    };
    for (const std::string& content : damaged) {
        CSkin::Destroy();
        SkinFolder folder;
        folder.WriteFile(L"skin.xml", content);
        EXPECT_FALSE(CSkin::Instance()->Load(folder.Module()));
        CMainFrame frame;
        ASSERT_TRUE(frame.CreateFrame(L"Vantel", SIZE{900, 560}));
        EXPECT_EQ(static_cast<LONG>(WS_CAPTION), ::GetWindowLongW(frame, GWL_STYLE) & WS_CAPTION);
        const RECT window = frame.GetWindowRect();
        POINT clientOrigin{0, 0};
        ::ClientToScreen(frame, &clientOrigin);
        EXPECT_GE(clientOrigin.y - window.top, ::GetSystemMetrics(SM_CYCAPTION));
        const LONG captionY = window.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
        EXPECT_EQ(HTCAPTION, frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam((window.left + window.right) / 2, captionY)));
        EXPECT_EQ(HTBOTTOMRIGHT, frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.right - 1, window.bottom - 1)));
        EXPECT_EQ(HTLEFT, frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.left, (window.top + window.bottom) / 2)));
        frame.DestroyWindow();
    }
}

TEST_F(MainFrame, MaximiseButtonTogglesAndMinimiseButtonMinimises) {
    Button(WM_NCLBUTTONDOWN, HTMAXBUTTON);
    Button(WM_NCLBUTTONUP, HTMAXBUTTON);
    EXPECT_TRUE(::IsZoomed(window_));
    Button(WM_NCLBUTTONDOWN, HTMAXBUTTON);
    Button(WM_NCLBUTTONUP, HTMAXBUTTON);
    EXPECT_FALSE(::IsZoomed(window_));
    Button(WM_NCLBUTTONDOWN, HTMINBUTTON);
    Button(WM_NCLBUTTONUP, HTMINBUTTON);
    EXPECT_TRUE(::IsIconic(window_));
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

TEST_F(MainFrame, CloseWithCloseMinimizeHidesToTheTrayWithoutAsking) {
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", true));
    EXPECT_EQ(0, Close());
    EXPECT_TRUE(InTray());
}

TEST_F(MainFrame, CloseWithoutSettingsAsksAndCancelLeavesTheWindow) {
    EXPECT_EQ(1, Close([](HWND dialog) { ClickButton(dialog, IDCANCEL); }));
    EXPECT_TRUE(Alive());
    EXPECT_EQ(::GetDesktopWindow(), ::GetAncestor(window_, GA_PARENT));
    bool value = false;
    EXPECT_FALSE(ReadFlag(L"CloseConfirm", value));
    EXPECT_FALSE(ReadFlag(L"CloseMinimize", value));
}

TEST_F(MainFrame, ConfirmedQuitDestroysTheFrameAndRemovesTheTrayIcon) {
    EXPECT_EQ(1, Close([](HWND dialog) { ClickButton(dialog, IDOK); }));
    EXPECT_FALSE(Alive());
    EXPECT_TRUE(frame_->Tray().IsIconRemoved());
    EXPECT_FALSE(player_.HasSink());
    bool confirm = true;
    ASSERT_TRUE(ReadFlag(L"CloseConfirm", confirm));
    EXPECT_FALSE(confirm);
}

TEST_F(MainFrame, ConfirmingMinimiseHidesToTheTrayAtOnce) {
    EXPECT_EQ(1, Close([](HWND dialog) {
                  ClickButton(dialog, IDC_QUIT_MINIMISE);
                  ClickButton(dialog, IDOK);
              }));
    EXPECT_TRUE(InTray());
    EXPECT_TRUE(ReadCloseMinimize());
}

TEST_F(MainFrame, CloseWithoutConfirmationQuits) {
    ASSERT_TRUE(WriteFlag(L"CloseConfirm", false));
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", false));
    EXPECT_EQ(0, Close());
    EXPECT_FALSE(Alive());
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
        if (!Alive()) {
            frame_.reset(new CMainFrame);
            ASSERT_TRUE(frame_->CreateFrame(L"Vantel", SIZE{900, 560}));
            window_ = frame_->m_hWnd;
        }
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
