#include "player/shell/MainFrame.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "common/settings/Settings.h"
#include "framework/win/Module.h"
#include "player/shell/MessengerNotice.h"
#include "player/shell/QuitConfirmDlg.h"
#include "player/shell/resource.h"

namespace {

constexpr wchar_t kHomePage[] = L"http://www.vantel.tv/";
constexpr wchar_t kForumPage[] = L"http://www.vantel.tv/bbs/";
constexpr wchar_t kDownloadPage[] = L"http://www.vantel.tv/download/";

}  // namespace

SIZE InitialFrameSize(int screenWidth) {
    SIZE size{900, 560};
    const int scaled = screenWidth * 7 / 10;
    if (scaled < 900) {
        size.cx = scaled;
        size.cy = scaled * 560 / 900;
    }
    return size;
}

CloseSettings CloseSettings::Read() {
    CloseSettings settings;
    settings.minimiseToTray = ReadCloseMinimize();
    ReadFlag(L"CloseConfirm", settings.confirm);
    return settings;
}

CloseAction DecideClose(const CloseSettings& settings, CloseRequest request) {
    if (request == CloseRequest::kQuitNow)
        return CloseAction::kQuit;
    if (settings.minimiseToTray)
        return CloseAction::kHideToTray;
    if (request == CloseRequest::kUser && settings.confirm)
        return CloseAction::kAskFirst;
    return CloseAction::kQuit;
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

    ApplySkinnedBorder();
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

void CMainFrame::OnSize(UINT, SIZE) {
    if (view_.m_hWnd)
        view_.MoveWindow(GetClientRect());
    SetMsgHandled(FALSE);  // the skinned frame shapes the window
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
    // Removing the icon is a call into the shell that lets sent messages in: a second start's
    // link taken then would be lost with the frame, so hand-offs end first.
    singleton_.BeginShutdown();
    tray_.RemoveIcon();
    DestroyWindow();
}

void CMainFrame::OnClose() {
    const CloseRequest request = quitWithoutAsking_ ? CloseRequest::kQuitNow : CloseRequest::kUser;
    CloseAction action = DecideClose(CloseSettings::Read(), request);
    if (action == CloseAction::kAskFirst) {
        CQuitConfirmDlg dialog;
        if (dialog.DoModal(m_hWnd) != IDOK)
            return;
        // The dialog has just stored the user's choice.
        action = DecideClose(CloseSettings::Read(), CloseRequest::kConfirmed);
    }
    if (action == CloseAction::kHideToTray) {
        HideToTray();
        return;
    }
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
