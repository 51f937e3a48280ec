#include "channellist/ui/ChannelTooltip.h"

#include "channellist/ui/TooltipLayout.h"
#include "framework/win/DoubleBuffer.h"

namespace UI {

namespace {

CatalogTipTexts TextsOf(CCatalogNode& catalog) {
    CatalogTipTexts texts;
    texts.label = catalog.GetLabel();
    texts.channelCount = catalog.channelCount;
    return texts;
}

ChannelTipTexts TextsOf(const CChannelNode& channel) {
    ChannelTipTexts texts;
    texts.name = channel.GetName();
    texts.typeLabel = channel.GetTypeLabel();
    texts.bitrate = channel.Info().bitrate;
    texts.homePage = channel.GetHomePage();
    texts.description = channel.GetDescription();
    return texts;
}

}  // namespace

CChannelTooltip::CChannelTooltip() { EnsureWindowClass(GetWindowClassSpec()); }

WindowClassSpec CChannelTooltip::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TROVAPLAYERCHANNELTOOLTIP";
    windowClass.style = CS_SAVEBITS;
    windowClass.cursor = IDC_ARROW;
    return windowClass;
}

void CChannelTooltip::Arm(CChannelTreeNode* node) {
    Disarm();
    node_ = node;
    ticks_ = 0;
    state_ = kArmed;
}

void CChannelTooltip::Disarm() {
    state_ = kIdle;
    if (m_hWnd)
        ShowWindow(SW_HIDE);
    node_ = nullptr;
}

SIZE CChannelTooltip::LayoutNode(HDC dc, bool draw) {
    if (!node_)
        return SIZE{0, 0};
    if (node_->IsCatalog())
        return LayoutCatalogTip(dc, TextsOf(*static_cast<CCatalogNode*>(node_)), draw);
    return LayoutChannelTip(dc, TextsOf(*static_cast<CChannelNode*>(node_)), draw);
}

int CChannelTooltip::OnCreate(CREATESTRUCTW*) {
    DefWindowProc();
    // Without an owner nothing would ever arm the tooltip.
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindow(owner) && timerId_ == 0)
        timerId_ = SetTimer(TIMER_TOOLTIP, kTimerPeriodMs);
    state_ = kIdle;
    return 0;
}

void CChannelTooltip::OnDestroy() {
    DefWindowProc();
    if (timerId_ != 0) {
        KillTimer(timerId_);
        timerId_ = 0;
    }
}

void CChannelTooltip::OnTimer(UINT_PTR id) {
    if (id != TIMER_TOOLTIP || state_ != kArmed)
        return;
    // The first tick only marks that the pointer has rested for a while.
    if (ticks_ <= 0) {
        ++ticks_;
        return;
    }
    Show();
}

void CChannelTooltip::Show() {
    if (!node_)
        return;
    SIZE size{};
    {
        ScopedGetDC dc(m_hWnd);
        if (!dc)
            return;
        size = LayoutNode(dc, false);
    }
    POINT pointer{};
    ::GetCursorPos(&pointer);
    const SIZE screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const POINT place = PlaceTooltip(pointer, screen, size);
    MoveWindow(RECT{place.x, place.y, place.x + size.cx, place.y + size.cy}, true);
    Invalidate(false);
    // Showing must not take the activation away from the window the user is working in.
    ShowWindow(SW_SHOWNOACTIVATE);
    state_ = kShown;
}

void CChannelTooltip::DoPaint(HDC dc, const RECT& client) {
    ScopedSelectObject pen(dc, ::GetStockObject(BLACK_PEN));
    ScopedSelectObject brush(dc, ::GetStockObject(WHITE_BRUSH));
    ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
    RECT rect = client;
    ::InflateRect(&rect, -1, -1);
    if (!node_)
        return;
    FillTooltipBackground(dc, rect, node_->IsCatalog() ? kCatalogTipColours : kChannelTipColours);
    LayoutNode(dc, true);
}

}  // namespace UI
