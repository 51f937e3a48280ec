#include "player/shell/MainFrame.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "common/settings/Settings.h"
#include "common/skin/Skin.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/Module.h"
#include "player/shell/MessengerNotice.h"
#include "player/shell/QuitConfirmDlg.h"
#include "player/shell/resource.h"

namespace {

constexpr wchar_t kHomePage[] = L"http://www.vantel.tv/";
constexpr wchar_t kForumPage[] = L"http://www.vantel.tv/bbs/";
constexpr wchar_t kDownloadPage[] = L"http://www.vantel.tv/download/";

using FramePart = CSkin::FramePart;
using CaptionImage = CSkin::CaptionImage;

bool Inside(POINT p, LONG left, LONG top, LONG right, LONG bottom) {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
}

// The skin's anchor of a caption button, in window coordinates of a window `width` wide.
RECT ButtonRect(const CSkin& skin, CSkin::CaptionButton button, int width) {
    RECT place = skin.CaptionButtonPlace(button);
    OffsetRect(&place, width, 0);
    return place;
}

// The frame draws its own border only with every piece of it. Without them (no skin, or a
// damaged one) it keeps the system's caption and border, so that it can still be moved, sized
// and closed.
bool HasSkin(const CSkin* skin) {
    if (!skin)
        return false;
    for (int part = 0; part < static_cast<int>(FramePart::Count); ++part) {
        if (skin->Frame(static_cast<FramePart>(part)).IsEmpty())
            return false;
    }
    return true;
}

bool IsCaptionButton(UINT code) {
    return code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE;
}

}  // namespace

UINT SkinHitTest(const CSkin* skin, const RECT& r, POINT p) {
    if (!HasSkin(skin))
        return HTNOWHERE;
    const CSkin& s = *skin;
    struct Button {
        CSkin::CaptionButton anchor;
        UINT code;
    };
    for (const Button& button : {Button{CSkin::CaptionButton::Close, HTCLOSE},
                                 Button{CSkin::CaptionButton::Minimize, HTMINBUTTON},
                                 Button{CSkin::CaptionButton::Maximize, HTMAXBUTTON}}) {
        RECT place = s.CaptionButtonPlace(button.anchor);
        OffsetRect(&place, r.right, r.top);
        if (Inside(p, place.left, place.top, place.right, place.bottom))
            return button.code;
    }
    const CSkinImage& tl = s.Frame(FramePart::TopLeft);
    const CSkinImage& tr = s.Frame(FramePart::TopRight);
    const CSkinImage& bl = s.Frame(FramePart::BottomLeft);
    const CSkinImage& br = s.Frame(FramePart::BottomRight);
    const RECT topLeft{r.left, r.top, r.left + tl.Width() + 1, r.top + tl.Height() + 1};
    const RECT topRight{r.right - tr.Width(), r.top, r.right, r.top + tr.Height()};
    const RECT bottomLeft{r.left, r.bottom - bl.Height(), r.left + bl.Width(), r.bottom};
    const RECT bottomRight{r.right - br.Width(), r.bottom - br.Height(), r.right, r.bottom};
    const RECT areas[] = {
        topLeft,
        topRight,
        bottomLeft,
        bottomRight,
        {r.left, topLeft.bottom + 1, r.left + s.Frame(FramePart::Left).Width(), bottomLeft.top - 1},
        {r.right - s.Frame(FramePart::Right).Width(), topRight.bottom + 1, r.right, bottomRight.top - 1},
        {bottomLeft.right + 1, r.bottom - s.Frame(FramePart::Bottom).Height(), bottomRight.left - 1, r.bottom},
        {topLeft.right + 1, r.top, topRight.left - 1, r.top + 3},
        {r.left + 1, r.top, r.left + 20, r.top + 20},
        {r.left, r.top, r.right, r.top + s.Frame(FramePart::Top).Height()},
    };
    const UINT codes[] = {HTTOPLEFT, HTTOPRIGHT, HTBOTTOMLEFT, HTBOTTOMRIGHT, HTLEFT,
                          HTRIGHT,   HTBOTTOM,   HTTOP,        HTSYSMENU,    HTCAPTION};
    for (size_t i = 0; i < ARRAYSIZE(areas); ++i) {
        if (Inside(p, areas[i].left, areas[i].top, areas[i].right, areas[i].bottom))
            return codes[i];
    }
    return HTNOWHERE;
}

SIZE InitialFrameSize(int screenWidth) {
    SIZE size{900, 560};
    const int scaled = screenWidth * 7 / 10;
    if (scaled < 900) {
        size.cx = scaled;
        size.cy = scaled * 560 / 900;
    }
    return size;
}

CMainFrame::CMainFrame() : playerSink_(this) {}

CMainFrame::~CMainFrame() {
    tray_.RemoveIcon();
    ClearNotice();
}

WindowClassSpec CMainFrame::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaPlayer6Frame";
    windowClass.style = 0;
    windowClass.cursor = nullptr;
    return windowClass;
}

bool CMainFrame::CreateFrame(const std::wstring& title, SIZE size) {
    const RECT rect{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + size.cx, CW_USEDEFAULT + size.cy};
    return Create(nullptr, rect, title.c_str(), WS_OVERLAPPEDWINDOW, 0) != nullptr;
}

int CMainFrame::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1)
        return -1;
    HINSTANCE module = ThisModule();
    const int smallSize = ::GetSystemMetrics(SM_CXSMICON);
    SendMessage(WM_SETICON, ICON_BIG,
                reinterpret_cast<LPARAM>(::LoadIconW(module, MAKEINTRESOURCEW(IDR_MAINFRAME))));
    SendMessage(WM_SETICON, ICON_SMALL,
                reinterpret_cast<LPARAM>(::LoadImageW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                      smallSize, smallSize, LR_SHARED)));

    if (singleton_.Create(m_hWnd))
        singleton_.SetHandler(this);

    const wchar_t openFile[] = L"Open File";
    if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(systemMenu, MF_STRING, kOpenFileCommand, openFile);
    }

    const RECT empty{0, 0, 0, 0};
    if (!view_.Create(m_hWnd, empty, kViewId))
        return -1;

    if (HasSkin(CSkin::Instance()))
        ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_CAPTION);
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
    view_.MoveWindow(GetClientRect());
    RECT window = GetWindowRect();
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    playerSink_.Connect(view_.Movie().Unknown());
    tray_.Create(m_hWnd, ::LoadIconW(module, MAKEINTRESOURCEW(IDR_MAINFRAME)), L"Vantel");
    return 0;
}

void CMainFrame::OnSetFocus(HWND) {
    if (view_.m_hWnd)
        view_.SetFocus();
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize = POINT{150, 100};
    SetMsgHandled(FALSE);
}

LRESULT CMainFrame::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    const CSkin* skin = CSkin::Instance();
    if (!wParam || !HasSkin(skin)) {
        handled = FALSE;
        return 0;
    }
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    const WINDOWPOS* pos = params->lppos;
    RECT client{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
    client.left += skin->Frame(FramePart::Left).Width();
    client.top += skin->Frame(FramePart::Top).Height();
    client.right -= skin->Frame(FramePart::Right).Width();
    client.bottom -= skin->Frame(FramePart::Bottom).Height();
    params->rgrc[0] = client;
    return 0;
}

LRESULT CMainFrame::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    const CSkin* skin = CSkin::Instance();
    if (!HasSkin(skin)) {
        handled = FALSE;
        return 0;
    }
    const CSkin& s = *skin;
    ScopedWindowDC windowDc(m_hWnd);
    if (!windowDc)
        return 0;
    const RECT window = GetWindowRect();
    const int w = window.right - window.left, h = window.bottom - window.top;

    // Only the border is ours to paint; the view paints the client area.
    RECT client = GetClientRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::OffsetRect(&client, -window.left, -window.top);
    ::ExcludeClipRect(windowDc, client.left, client.top, client.right, client.bottom);

    const RECT whole{0, 0, w, h};
    CMemoryDC dc(windowDc, whole);
    if (!dc.IsValid())
        return 0;
    const CSkinImage& tl = s.Frame(FramePart::TopLeft);
    const CSkinImage& tr = s.Frame(FramePart::TopRight);
    const CSkinImage& bl = s.Frame(FramePart::BottomLeft);
    const CSkinImage& br = s.Frame(FramePart::BottomRight);
    const CSkinImage& lt = s.Frame(FramePart::LeftTop);
    const CSkinImage& lb = s.Frame(FramePart::LeftBottom);
    const CSkinImage& rt = s.Frame(FramePart::RightTop);
    const CSkinImage& rb = s.Frame(FramePart::RightBottom);

    tl.Draw(dc, 0, 0);
    tr.Draw(dc, w - tr.Width(), 0);
    TileHorizontal(s.Frame(FramePart::Top), dc, tl.Width(), 0, w - tr.Width() - tl.Width());

    bl.Draw(dc, 0, h - bl.Height());
    br.Draw(dc, w - br.Width(), h - br.Height());
    const CSkinImage& bottom = s.Frame(FramePart::Bottom);
    TileHorizontal(bottom, dc, bl.Width(), h - bottom.Height(), w - br.Width() - bl.Width());

    lt.Draw(dc, 0, tl.Height());
    const int leftBottomY = h - lb.Height() - bl.Height();
    lb.Draw(dc, 0, leftBottomY);
    TileVertical(s.Frame(FramePart::Left), dc, 0, tl.Height() + lt.Height(), leftBottomY - tl.Height() - lt.Height());

    rt.Draw(dc, w - rt.Width(), tr.Height());
    const int rightBottomY = h - rb.Height() - br.Height();
    rb.Draw(dc, w - rb.Width(), rightBottomY);
    const CSkinImage& right = s.Frame(FramePart::Right);
    TileVertical(right, dc, w - right.Width(), tr.Height() + rt.Height(), rightBottomY - tr.Height() - rt.Height());

    const int iconSize = ::GetSystemMetrics(SM_CXSMICON);
    HICON icon = reinterpret_cast<HICON>(SendMessage(WM_GETICON, ICON_SMALL));
    if (!icon)
        icon = ::LoadIconW(ThisModule(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (icon)
        ::DrawIconEx(dc, 8, 4, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);

    const std::wstring title = GetWindowText();
    ScopedFont font(::CreateFontW(15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L""));
    ScopedSelectObject selectFont(dc, font);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkMode(dc, TRANSPARENT);
    RECT text{iconSize + 12, 4, iconSize + 12, 4};
    ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX);
    return 0;
}

LRESULT CMainFrame::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (!HasSkin(CSkin::Instance())) {
        handled = FALSE;
        return 0;
    }
    // The system must never draw its own caption over ours.
    return wParam ? FALSE : TRUE;
}

UINT CMainFrame::OnNcHitTest(POINT point) {
    const CSkin* skin = CSkin::Instance();
    if (!HasSkin(skin)) {
        SetMsgHandled(FALSE);
        return 0;
    }
    return SkinHitTest(skin, GetWindowRect(), point);
}

void CMainFrame::DrawButtonImage(HDC dc, int button, int look) const {
    const CSkin* skin = CSkin::Instance();
    if (!skin)
        return;
    static const CSkin::CaptionButton anchors[] = {CSkin::CaptionButton::Minimize, CSkin::CaptionButton::Maximize,
                                                   CSkin::CaptionButton::Close};
    // Images in skin order: button, hover, down for each of minimise, maximise, close.
    const auto image = static_cast<CaptionImage>(button * 3 + look);
    const RECT window = GetWindowRect();
    const RECT place = ButtonRect(*skin, anchors[button], window.right - window.left);
    skin->Caption(image).Draw(dc, place.left, place.top);
}

void CMainFrame::DrawCaptionButtons(UINT hover) const {
    ScopedWindowDC dc(m_hWnd);
    if (!dc)
        return;
    const UINT codes[] = {kMinimise, kMaximise, kClose};
    for (int button = 0; button < 3; ++button)
        DrawButtonImage(dc, button, codes[button] == hover ? 1 : 0);
}

LRESULT CMainFrame::OnNcMouseMove(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (!HasSkin(CSkin::Instance())) {
        handled = FALSE;
        return 0;
    }
    const UINT code = static_cast<UINT>(wParam);
    if (IsCaptionButton(code)) {
        DrawCaptionButtons(code);
        return 0;
    }
    DrawCaptionButtons(kNoButton);
    handled = FALSE;
    return 0;
}

LRESULT CMainFrame::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const UINT code = static_cast<UINT>(wParam);
    if (IsCaptionButton(code) && HasSkin(CSkin::Instance())) {
        pressed_ = code;
        // Holding the mouse makes the release come here wherever it happens, and a lost
        // capture ends the press.
        SetCapture();
        ScopedWindowDC dc(m_hWnd);
        if (dc)
            DrawButtonImage(dc, code == kMinimise ? 0 : code == kMaximise ? 1 : 2, 2);
        return 0;
    }
    pressed_ = kNoButton;
    handled = FALSE;
    return 0;
}

LRESULT CMainFrame::OnNcLButtonUp(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const UINT code = static_cast<UINT>(wParam);
    if (!IsCaptionButton(code) || !HasSkin(CSkin::Instance())) {
        ReleaseButton(kNoButton);
        handled = FALSE;
        return 0;
    }
    ReleaseButton(code);
    return 0;
}

void CMainFrame::OnLButtonUp(UINT, POINT point) {
    if (pressed_ == kNoButton) {
        SetMsgHandled(FALSE);
        return;
    }
    // A held press gets its release here, in client coordinates.
    ::ClientToScreen(m_hWnd, &point);
    ReleaseButton(SkinHitTest(CSkin::Instance(), GetWindowRect(), point));
}

void CMainFrame::OnCaptureChanged(HWND gaining) {
    if (gaining == m_hWnd || pressed_ == kNoButton)
        return;
    pressed_ = kNoButton;
    DrawCaptionButtons(kNoButton);
}

void CMainFrame::ReleaseButton(UINT code) {
    const bool act = IsCaptionButton(code) && pressed_ == code;
    pressed_ = kNoButton;
    ReleaseCapture();
    if (!act)
        return;
    if (code == kMinimise)
        ShowWindow(SW_SHOWMINIMIZED);
    else if (code == kMaximise)
        ShowWindow(::IsZoomed(m_hWnd) ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
    else
        SendMessage(WM_CLOSE);
}

void CMainFrame::OnSize(UINT, SIZE size) {
    DefWindowProc();
    if (view_.m_hWnd)
        view_.MoveWindow(GetClientRect());
    if (size.cx <= 0 || size.cy <= 0 || !HasSkin(CSkin::Instance()))
        return;
    // The region covers the whole window with its skinned border, not only the client area.
    const RECT window = GetWindowRect();
    ScopedRegion region(
        ::CreateRoundRectRgn(0, 0, window.right - window.left + 1, window.bottom - window.top + 1, 9, 9));
    if (region && ::SetWindowRgn(m_hWnd, region, TRUE))
        region.Release();  // the window owns it now
}

void CMainFrame::OnSysCommand(UINT command, POINT) {
    if ((command & 0xFFF0) == kOpenFileCommand)
        OpenFile();
    SetMsgHandled(FALSE);
}

void CMainFrame::OpenFile() {
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = L"Movie Files(*.*)\0*.*\0\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!::GetOpenFileNameW(&dialog))
        return;
    const std::wstring chosen(path.data());
    if (!chosen.empty())
        view_.Movie().Play(chosen);
}

void CMainFrame::OnWindowPosChanged(WINDOWPOS*) {
    DefWindowProc();
    view_.Movie().KeepPosition();
}

void CMainFrame::OnCommand(UINT, int id, HWND) {
    if (view_.HandleCommand(id))
        return;
    switch (id) {
    case ID_TRAY_SHOWHIDE:
        if (IsWindowVisible())
            HideToTray();
        else
            ShowFromTray();
        break;
    case ID_TRAY_HOME:
        ::ShellExecuteW(nullptr, L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case ID_TRAY_BBS:
        ::ShellExecuteW(nullptr, L"open", kForumPage, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case ID_APP_EXIT:
        QuitFrame();
        break;
    default:
        SetMsgHandled(FALSE);
        break;
    }
}

void CMainFrame::HideToTray() {
    CSystemTray::HideToTray(m_hWnd);
}

void CMainFrame::ShowFromTray() {
    CSystemTray::RestoreFromTray(m_hWnd);
}

void CMainFrame::QuitFrame() {
    DestroyWindow();
}

void CMainFrame::OnClose() {
    if (!quitWithoutAsking_) {
        if (ReadCloseMinimize()) {
            HideToTray();
            return;
        }
        bool confirm = true;
        ReadFlag(L"CloseConfirm", confirm);
        if (confirm) {
            CQuitConfirmDlg dialog;
            if (dialog.DoModal(m_hWnd) != IDOK)
                return;
            if (ReadCloseMinimize()) {
                HideToTray();
                return;
            }
        }
    }
    tray_.RemoveIcon();
    QuitFrame();
}

void CMainFrame::OnDestroy() {
    playerSink_.Disconnect();
    SetMsgHandled(FALSE);
}

void CMainFrame::OnFinalMessage(HWND) {
    tray_.RemoveIcon();
    ClearNotice();
    if (singleton_.m_hWnd)
        singleton_.DestroyWindow();
    if (tray_.m_hWnd)
        tray_.DestroyWindow();
    if (quitOnDestroy_)
        ::PostQuitMessage(0);
}

void CMainFrame::OpenLink(const std::wstring& text) {
    Activate();
    view_.SelectPlayItem();
    ::SetForegroundWindow(m_hWnd);
    view_.Movie().Play(text);
}

void CMainFrame::EndStartUp() {
    startingUp_ = false;
    if (offerHeld_ && m_hWnd) {
        offerHeld_ = false;
        OfferNewVersion();
    }
}

void CMainFrame::OfferNewVersion() {
    if (startingUp_) {
        offerHeld_ = true;
        return;
    }
    const wchar_t question[] = L"系统检测到您计算机中安装的版本不是最新的。\r\n\r\n需要立即下载新的版本吗？";
    if (::MessageBoxW(m_hWnd, question, L"提示", MB_YESNO) == IDYES)
        ::ShellExecuteW(nullptr, L"open", kDownloadPage, nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainFrame::Activate() {
    if (!IsWindowVisible())
        ShowFromTray();
    else if (::IsIconic(m_hWnd))
        ShowWindow(SW_SHOWNORMAL);
    ::SetForegroundWindow(m_hWnd);
}

void CMainFrame::QuitNow() {
    quitWithoutAsking_ = true;
    PostMessage(WM_CLOSE);
}

void CMainFrame::OnPlayStarted() {
    bool send = true;
    if (ReadFlag(L"SendToMSN", send) && !send)
        return;
    std::wstring server, channelId, name;
    ULONG port = 0;
    if (!view_.Movie().GetPlayingChannel(server, port, channelId))
        return;
    if (!view_.Channels().GetChannelName(server, port, channelId, name))
        return;
    if (name.empty())
        return;
    SendToMessengers(FormatNowPlayingNotice(name));
    noticeShown_ = true;
}

void CMainFrame::ClearNotice() {
    if (!noticeShown_)
        return;
    SendToMessengers(ClearNoticeText());
    noticeShown_ = false;
}

void CMainFrame::OnVideoSize(ULONG width, ULONG height) {
    HWND player = view_.Movie().Window();
    if (!player)
        return;
    RECT frame = GetWindowRect(), video{};
    ::GetWindowRect(player, &video);
    const int newWidth = (frame.right - frame.left) - (video.right - video.left) + static_cast<int>(width);
    const int newHeight = (frame.bottom - frame.top) - (video.bottom - video.top) + static_cast<int>(height);
    SetWindowPos(nullptr, 0, 0, newWidth, newHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CMainFrame::SendVideoDrag(UINT message, LONG x, LONG y) {
    POINT point{x, y};
    ::ClientToScreen(view_.Movie().Window(), &point);
    SendMessage(message, HTCAPTION, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
}

void CMainFrame::OnVideoMouseDown(ULONG, ULONG, LONG x, LONG y) {
    HWND player = view_.Movie().Window();
    if (!player)
        return;
    RECT client{};
    ::GetClientRect(player, &client);
    const POINT point{x, y};
    if (!::PtInRect(&client, point))
        return;
    videoDrag_ = true;
    SendVideoDrag(WM_NCLBUTTONDOWN, x, y);
}

void CMainFrame::OnVideoMouseMove(ULONG, ULONG, LONG x, LONG y) {
    if (videoDrag_)
        SendVideoDrag(WM_NCMOUSEMOVE, x, y);
}

void CMainFrame::OnVideoMouseUp(ULONG, ULONG, LONG x, LONG y) {
    if (!videoDrag_)
        return;
    videoDrag_ = false;
    SendVideoDrag(WM_NCLBUTTONUP, x, y);
}
