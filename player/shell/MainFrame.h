#pragma once

#include <string>

#include "framework/win/MessageMap.h"
#include "player/shell/ChildView.h"
#include "player/shell/ControlSinks.h"
#include "player/shell/RemoteCmd.h"
#include "player/shell/SingletonWnd.h"
#include "player/shell/SkinnedFrame.h"
#include "player/shell/SystemTray.h"

// Frame size at start: 900 x 560, scaled down to 7/10 of a narrower screen.
SIZE InitialFrameSize(int screenWidth);

// The settings that decide what closing the frame means.
struct CloseSettings {
    bool minimiseToTray = false;  // "CloseMinimize"
    bool confirm = true;          // "CloseConfirm"

    static CloseSettings Read();
};
// kQuitNow: a quit request that asks nothing; kConfirmed: the user has just answered the
// quit question (and the answer is in the settings).
enum class CloseRequest { kUser, kConfirmed, kQuitNow };
enum class CloseAction { kQuit, kHideToTray, kAskFirst };
// What closing the frame does; after kAskFirst and a confirmed question, decide again with
// the settings read anew.
CloseAction DecideClose(const CloseSettings& settings, CloseRequest request);

// The player's only top-level window, with the skinned border of CSkinnedFrame: hosts the
// player view, receives a second start's requests and the player's events, and keeps the
// tray icon, the messenger notice and the drag by the video picture.
class CMainFrame : public CSkinnedFrame, public IRemoteCmdHandler, public IPlayerEventListener {
public:
    enum : UINT { kOpenFileCommand = 0xE140, kViewId = 0xE900 };

    CMainFrame();
    ~CMainFrame() override;

    // Creates the frame hidden; the caller shows it.
    bool CreateFrame(const std::wstring& title, SIZE size);
    // Ends the message loop when the frame goes (the program's main window).
    void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }
    // From the frame's creation until the program has shown it (or decided to keep it hidden),
    // the new-version question waits: asked earlier it would stand on an empty screen.
    void BeginStartUp() { startingUp_ = true; }
    void EndStartUp();

    CChildView& View() { return view_; }
    CSystemTray& Tray() { return tray_; }
    CSingletonWnd& Singleton() { return singleton_; }
    bool IsVideoDragging() const { return videoDrag_; }
    bool IsNoticeShown() const { return noticeShown_; }

    // IRemoteCmdHandler
    void OpenLink(const std::wstring& text) override;
    void OfferNewVersion() override;
    void Activate() override;
    void QuitNow() override;

    // IPlayerEventListener
    void OnPlayStarted() override;
    void OnVideoSize(ULONG width, ULONG height) override;
    void OnPlayerFlag(bool) override {}
    void OnVideoMouseUp(ULONG, ULONG, LONG x, LONG y) override;
    void OnVideoMouseDown(ULONG, ULONG, LONG x, LONG y) override;
    void OnVideoPointer6(ULONG, ULONG, LONG, LONG) override {}
    void OnVideoPointer8(ULONG, ULONG, LONG, LONG) override {}
    void OnVideoPointer9(ULONG, ULONG, LONG, LONG) override {}
    void OnVideoPointer10(ULONG, ULONG, LONG, LONG) override {}
    void OnVideoMouseMove(ULONG, ULONG, LONG x, LONG y) override;

    BEGIN_MSG_MAP(CMainFrame)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SETFOCUS(OnSetFocus)
        MSG_WM_GETMINMAXINFO(OnGetMinMaxInfo)
        MSG_WM_SIZE(OnSize)
        MSG_WM_ERASEBKGND_SUPPRESS()
        MSG_WM_SYSCOMMAND(OnSysCommand)
        MSG_WM_WINDOWPOSCHANGED(OnWindowPosChanged)
        MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
        MSG_WM_COMMAND(OnCommand)
        MSG_WM_CLOSE(OnClose)
        MSG_WM_DESTROY(OnDestroy)
        CHAIN_MSG_MAP(CSkinnedFrame)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;
    void OnFinalMessage(HWND) override;

private:
    int OnCreate(CREATESTRUCTW*);
    void OnSetFocus(HWND);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnSize(UINT type, SIZE size);
    void OnSysCommand(UINT command, POINT);
    void OnWindowPosChanged(WINDOWPOS*);
    LRESULT OnCopyData(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    void OnCommand(UINT code, int id, HWND control);
    void OnClose();
    void OnDestroy();

    void OpenFile();
    void HideToTray();
    void ShowFromTray();
    void QuitFrame();
    void SendVideoDrag(UINT message, LONG x, LONG y);
    void ClearNotice();

    CChildView view_;
    CSingletonWnd singleton_;
    CTRPlayerSink playerSink_;
    bool noticeShown_ = false;
    CSystemTray tray_;
    bool videoDrag_ = false;
    bool quitWithoutAsking_ = false;
    bool quitOnDestroy_ = false;
    bool startingUp_ = false;
    bool offerHeld_ = false;
};
