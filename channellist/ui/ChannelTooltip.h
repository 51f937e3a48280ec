#pragma once
// Popup that a channel tree shows beside the pointer for the row it rests on: a catalog's name
// and channel count, or a channel's name, type, bitrate, home page and description.
#include "channellist/ui/ChannelTreeNode.h"
#include "framework/win/MessageMap.h"

namespace UI {

class CChannelTooltip : public CWindowImpl {
public:
    enum : UINT_PTR { TIMER_TOOLTIP = 188 };
    static constexpr UINT kTimerPeriodMs = 300;
    // Values of `state`.
    enum : int { kIdle = 0, kArmed = 1, kShown = 2 };

    // Registers the window class on first construction, so that the owner can create the
    // popup by class name.
    CChannelTooltip();

    // Runs the layout of `node` on dc; draws only with draw set. Returns the tooltip's size.
    SIZE LayoutNode(HDC dc, bool draw);

    UINT_PTR timerId = 0;                // 0 while no timer runs
    CChannelTreeNode* node = nullptr;    // written by the tree control; not owned
    int ticks = 0;                       // timer ticks seen since the tree armed the tooltip
    int state = kIdle;

    BEGIN_MSG_MAP(CChannelTooltip)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_DESTROY(OnDestroy)
        MSG_WM_TIMER(OnTimer)
        MSG_WM_ERASEBKGND_SUPPRESS()
        MSG_WM_PAINT(OnPaint)
        MSG_WM_PRINTCLIENT(OnPrintClient)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnPrintClient(HDC dc, UINT flags);
    void Paint(HDC dc);
    void Show();
};

}  // namespace UI
