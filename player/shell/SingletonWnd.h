#pragma once

#include "framework/win/MessageMap.h"
#include "player/shell/CheckUpdateHelper.h"
#include "player/shell/RemoteCmd.h"

// The running player's hidden window: a second start finds it by class and title and hands
// over its request; it also owns the update check of this run.
class CSingletonWnd : public CWindowImpl {
public:
    // Creates the window owned by `owner` (the main frame).
    bool Create(HWND owner);
    void SetHandler(IRemoteCmdHandler* handler) { handler_ = handler; }
    // The frame is quitting: from now on (as once the window goes) requests are answered as
    // not taken.
    void BeginShutdown() { shuttingDown_ = true; }

    BEGIN_MSG_MAP(CSingletonWnd)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_DESTROY(OnDestroy)
        MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
        MESSAGE_HANDLER(WM_PLAYER_QUIT, OnQuit)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW*);
    void OnDestroy();
    LRESULT OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL& handled);
    LRESULT OnQuit(UINT, WPARAM, LPARAM, BOOL&);

    IRemoteCmdHandler* handler_ = nullptr;
    bool shuttingDown_ = false;
    CCheckUpdateHelper updateCheck_;
};
