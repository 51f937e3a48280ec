#include "player/shell/SingletonWnd.h"

bool CSingletonWnd::Create(HWND owner) {
    const RECT none{0, 0, 0, 0};
    return CWindowImpl::Create(owner, none, kSingletonTitle, WS_POPUP, WS_EX_TOOLWINDOW) != nullptr;
}

WindowClassSpec CSingletonWnd::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = kSingletonClassName;
    windowClass.style = CS_SAVEBITS;
    return windowClass;
}

int CSingletonWnd::OnCreate(CREATESTRUCTW*) {
    updateCheck_.Start(m_hWnd);
    return 0;
}

void CSingletonWnd::OnDestroy() {
    updateCheck_.Stop();
}

LRESULT CSingletonWnd::OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const auto* request = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    // A check that ends while the window goes away no longer asks the user.
    if (!(request && request->dwData == kRequestNewVersion && updateCheck_.IsStopping()))
        DispatchCopyData(handler_, request);
    handled = FALSE;  // then default processing
    return 0;
}

LRESULT CSingletonWnd::OnQuit(UINT, WPARAM, LPARAM, BOOL&) {
    if (handler_)
        handler_->QuitNow();
    return 0;
}
