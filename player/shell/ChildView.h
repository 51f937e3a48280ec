#pragma once

#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"
#include "player/options/OptContainerWnd.h"
#include "player/panels/BroadcastPanel.h"
#include "player/panels/ControlPanels.h"
#include "player/panels/HomePanel.h"
#include "player/panels/NaviPanel.h"
#include "player/shell/ControlSinks.h"

// The frame's client: the navigation strip on top, below it one content panel on the left
// and the channel list on the right, with a splitter strip between them.
class CChildView : public CWindowImpl, public IChannelListListener, public INaviListener {
public:
    enum : int {
        kNaviHome = 10,
        kNaviPlay = 11,
        kNaviBroadcast = 12,
        kNaviOptions = 13,
        kHomePanelId = 301,
        kOptionsId = 501,
        kSplitterWidth = 8,
        kListWidth = 200,
        kMinContentWidth = 400,
    };
    enum SplitterState { kIdle = 0, kDragging = 1, kTogglePressed = 3 };

    CChildView();
    ~CChildView() override;

    // The link to play once the controls exist, from the program's command line; set before
    // Create.
    void SetStartLink(std::wstring link) { startLink_ = std::move(link); }
    bool Create(HWND parent, const RECT& rect, UINT id);

    CMoviePanel& Movie() { return movie_; }
    CChannelPanel& Channels() { return channels_; }
    CNaviPanel& Navi() { return navi_; }
    CHomePanel& Home() { return home_; }
    CBroadcastPanel& Broadcast() { return broadcast_; }
    COptContainerWnd& Options() { return options_; }
    bool IsListShown() const { return listShown_; }
    SplitterState State() const { return state_; }

    // The splitter strip and its toggle button, in view client coordinates.
    RECT SplitterRect() const;
    RECT ToggleRect() const;

    void SelectPlayItem() { navi_.SelectPlayItem(); }
    // Commands offered to the view before the frame; false when not the view's.
    bool HandleCommand(int) { return false; }
    // Places every child for a content area `contentWidth` wide.
    void Layout(int contentWidth);
    void ToggleList();

    // IChannelListListener
    void OnChannelOpen(const std::wstring& link) override;
    // INaviListener
    void OnNaviSelect(int id) override;

    BEGIN_MSG_MAP(CChildView)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_PAINT(OnPaint)
        MSG_WM_SIZE(OnSize)
        MSG_WM_ERASEBKGND_SUPPRESS()
        MSG_WM_WINDOWPOSCHANGED(OnWindowPosChanged)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_LBUTTONUP(OnLButtonUp)
        MSG_WM_MOUSEMOVE(OnMouseMove)
        MSG_WM_SETCURSOR(OnSetCursor)
        MSG_WM_CAPTURECHANGED(OnCaptureChanged)
        MSG_WM_DESTROY(OnDestroy)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW*);
    void OnPaint();
    void OnSize(UINT, SIZE size);
    void OnWindowPosChanged(WINDOWPOS* pos);
    void OnLButtonDown(UINT, POINT point);
    void OnLButtonUp(UINT, POINT point);
    void OnMouseMove(UINT, POINT point);
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
    void OnCaptureChanged(HWND gaining);
    void OnDestroy();

    void Resize(int width, int height);
    void PaintSplitter(HDC dc) const;
    void DrawToggle(HDC dc) const;
    void InvertTracker() const;
    int NaviHeight() const;
    bool HideCList() const;
    int ClampDrop(int x) const;

    CMoviePanel movie_;
    CChannelPanel channels_;
    CHomePanel home_;
    CNaviPanel navi_;
    CBroadcastPanel broadcast_;
    COptContainerWnd options_;
    ScopedBrush trackingBrush_;
    RECT tracker_{};
    SplitterState state_ = kIdle;
    HCURSOR sizeCursor_;
    HCURSOR handCursor_;
    CChannelListSink listSink_;
    bool listShown_ = true;
    // What the last layout gave the content panels and the channel list.
    int contentWidth_ = 0;
    int listWidth_ = 0;
    std::wstring startLink_;
};
