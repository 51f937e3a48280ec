#include "player/shell/PlayerApp.h"

#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "common/settings/AppPaths.h"
#include "common/skin/Skin.h"
#include "framework/com/ComUtil.h"
#include "player/shell/CommandLine.h"
#include "player/shell/FirewallHelper.h"
#include "player/shell/MainFrame.h"
#include "player/shell/resource.h"

namespace {

// How long a second start waits for the window of a player of this session that is starting.
constexpr DWORD kStartingPlayerWaitMs = 30000;
// How long a second start whose request was not taken waits for that player to end.
constexpr DWORD kEndingPlayerWaitMs = 30000;

std::wstring ModulePath(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// The child dialog (an options page) that a message's window belongs to, so that Tab and
// the arrow keys move between its controls; null for other windows.
HWND ChildDialogOf(HWND window) {
    for (HWND w = window; w; w = ::GetParent(w)) {
        wchar_t name[8] = {};
        if (::GetClassNameW(w, name, 8) && lstrcmpW(name, L"#32770") == 0)
            return (::GetWindowLongW(w, GWL_STYLE) & WS_CHILD) ? w : nullptr;
        if (!(::GetWindowLongW(w, GWL_STYLE) & WS_CHILD))
            break;
    }
    return nullptr;
}

// The request of this start to the running player: its link when it has one, else an activation.
RequestAnswer HandOff(CommandLineArgs& args) {
    const std::wstring link = RequestedLink(args);
    if (!link.empty()) {
        const RequestAnswer answer = SendLinkToRunningInstance(link);
        if (answer != RequestAnswer::kNoPlayer)
            return answer;
    }
    return ActivateRunningInstance();
}

// Hands this start's request to the running player of this session, waiting for the window of
// one that is starting and for the end of one that is ending and did not take the request.
// True when this start is done; false when it is to be the first player: it then holds the
// instance mutexes. Of players started at the same moment, the one that made the mutexes
// first stays.
bool HandOffOrClaim(CommandLineArgs& args, CInstanceMutexes& mutexes) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (FindRunningPlayer()) {
            const RequestAnswer answer = HandOff(args);
            if (answer == RequestAnswer::kTaken || answer == RequestAnswer::kNoAnswer)
                return true;
            if (answer == RequestAnswer::kNotTaken && !AwaitPlayerEnd(kEndingPlayerWaitMs))
                return true;
        }
        if (!IsPlayerRunning() && mutexes.Create())
            return false;
        mutexes.Close();  // handles of another player's mutexes would keep them alive past its end
        // The window of a starting player comes, the mutexes of an ending one go.
        if (!AwaitPlayerOfThisSession(kStartingPlayerWaitMs))
            return true;
    }
    return true;
}

}  // namespace

CTrovaPlayer6App::CTrovaPlayer6App(HINSTANCE instance) : instance_(instance) {}

CTrovaPlayer6App::~CTrovaPlayer6App() = default;

bool CTrovaPlayer6App::InitInstance() {
    INITCOMMONCONTROLSEX controls{8, 0xFF};
    ::InitCommonControlsEx(&controls);

    if (FAILED(::OleInitialize(nullptr))) {
        ::MessageBoxW(nullptr, LoadResourceString(instance_, IDS_OLE_INIT_FAILED).c_str(), nullptr, MB_OK);
        return false;
    }
    oleInitialized_ = true;

    // A player of this session holds its mutexes a moment before its window exists (starting)
    // and after it is gone (ending); only one of another logon session never shows it here.
    if (!FindRunningPlayer() && IsPlayerRunning() && !AwaitPlayerOfThisSession(kStartingPlayerWaitMs)) {
        // A player of another logon session, whose windows this session cannot see.
        ::MessageBoxW(::GetActiveWindow(), L"其他用户正在运行播放器，播放器初始化失败！", L"提示", MB_OK);
        return true;
    }

    CommandLineArgs args;
    SplitCommandLine(::GetCommandLineW(), args);
    if (HandOffOrClaim(args, mutexes_))
        return true;
    firewallExceptionAdded_ =
        CFirewallHelper::AddException(ModulePath(instance_), LoadResourceString(instance_, IDS_APP_TITLE));
    CAppPaths::Init();
    if (CSkin* skin = CSkin::Instance())
        skin->Load(instance_);

    frame_.reset(new (std::nothrow) CMainFrame);
    if (!frame_)
        return false;
    frame_->SetQuitOnDestroy(true);
    frame_->BeginStartUp();
    // A link that no running player took is played here, once the view's controls exist.
    frame_->View().SetStartLink(RequestedLink(args));
    const SIZE size = InitialFrameSize(::GetSystemMetrics(SM_CXSCREEN));
    if (!frame_->CreateFrame(LoadResourceString(instance_, IDS_APP_TITLE), size)) {
        frame_.reset();
        return false;
    }
    if (!IsStartMinimised(args)) {
        frame_->ShowWindow(SW_SHOW);
        ::UpdateWindow(*frame_);
    }
    frame_->EndStartUp();
    return true;
}

int CTrovaPlayer6App::Run() {
    if (!frame_ || !frame_->m_hWnd)
        return 0;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND dialog = ChildDialogOf(msg.hwnd);
        if (dialog && ::IsDialogMessageW(dialog, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int CTrovaPlayer6App::ExitInstance() {
    if (firewallExceptionAdded_)
        CFirewallHelper::RemoveException(ModulePath(instance_));
    frame_.reset();
    CSkin::Destroy();
    mutexes_.Close();
    CAppPaths::Shutdown();
    if (oleInitialized_)
        ::OleUninitialize();
    return 0;
}
