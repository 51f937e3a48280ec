#include "player/shell/SingletonWnd.h"

bool CSingletonWnd::Create(HWND owner) {
    const RECT none{0, 0, 0, 0};
    return CWindowImpl::Create(owner, none, kSingletonTitle, WS_POPUP, WS_EX_TOOLWINDOW) != nullptr;
}

WindowClassSpec CSingletonWnd::GetWindowClassSpec() const { return WindowClassSpec{kSingletonClassName, CS_SAVEBITS}; }

int CSingletonWnd::OnCreate(CREATESTRUCTW*) {
    updateCheck_.Start(m_hWnd);
    return 0;
}

void CSingletonWnd::OnDestroy() {
    shuttingDown_ = true;
    updateCheck_.Stop();
}

LRESULT CSingletonWnd::OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL&) {
    // A frame on its way out must not act: the sender learns that its request was not taken.
    if (shuttingDown_)
        return FALSE;
    const auto* request = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (request && request->dwData == kRequestNewVersion) {
        CCheckUpdateHelper::CAnswering answering(updateCheck_);
        return DispatchCopyData(handler_, request);
    }
    return DispatchCopyData(handler_, request);
}

LRESULT CSingletonWnd::OnQuit(UINT, WPARAM, LPARAM, BOOL&) {
    if (handler_ && !shuttingDown_) {
        shuttingDown_ = true;
        handler_->QuitNow();
    }
    return 0;
}
