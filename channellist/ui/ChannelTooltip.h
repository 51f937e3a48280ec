#pragma once
// Popup that a channel tree shows beside the pointer for the row it rests on: a catalog's name
// and channel count, or a channel's name, type, bitrate, home page and description.
#include "channellist/ui/ChannelTreeNode.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"

namespace UI {

class CChannelTooltip : public CWindowImpl, private CDoubleBufferImpl {
public:
    enum : UINT_PTR { TIMER_TOOLTIP = 188 };
    static constexpr UINT kTimerPeriodMs = 300;
    // Values of State().
    enum : int { kIdle = 0, kArmed = 1, kShown = 2 };

    // Registers the window class on first construction, so that the owner can create the
    // popup by class name.
    CChannelTooltip();

    // The tree's pointer came to rest on `node` (not owned; the tree disarms the tooltip
    // before the node goes): hidden, the tooltip waits two timer ticks before it shows.
    void Arm(CChannelTreeNode* node);
    // Hidden and idle, without a node.
    void Disarm();

    // Runs the layout of the node on dc; draws only with draw set. Returns the tooltip's size.
    SIZE LayoutNode(HDC dc, bool draw);

    CChannelTreeNode* Node() const { return node_; }
    int State() const { return state_; }
    // Timer ticks seen since the tooltip was armed.
    int Ticks() const { return ticks_; }
    // 0 while no timer runs.
    UINT_PTR TimerId() const { return timerId_; }

    BEGIN_MSG_MAP(CChannelTooltip)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_DESTROY(OnDestroy)
        MSG_WM_TIMER(OnTimer)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void DoPaint(HDC dc, const RECT& client) override;
    void Show();

    UINT_PTR timerId_ = 0;
    CChannelTreeNode* node_ = nullptr;
    int ticks_ = 0;
    int state_ = kIdle;
};

}  // namespace UI
