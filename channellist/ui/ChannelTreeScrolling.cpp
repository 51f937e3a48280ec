// Scrolling of the channel list: the scroll bar's range and codes, the wheel, and bringing a
// row into view.
#include "channellist/ui/ChannelTreeCtrl.h"

#include <algorithm>

namespace UI {

namespace {
SCROLLINFO ScrollInfo(UINT mask) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    return info;
}
}  // namespace

int CChannelTreeCtrl::GetScrollPosition() const {
    SCROLLINFO info = ScrollInfo(SIF_POS);
    if (!::GetScrollInfo(m_hWnd, SB_VERT, &info))
        return 0;
    return info.nPos;
}

void CChannelTreeCtrl::UpdateScrollRange() {
    if (!m_hWnd)
        return;
    const RECT client = GetClientRect();
    SCROLLINFO info = ScrollInfo(SIF_RANGE | SIF_PAGE);
    info.nMin = 0;
    info.nMax = GetRowCount();
    info.nPage = static_cast<UINT>((client.bottom - client.top) / ROW_HEIGHT);
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
}

void CChannelTreeCtrl::OnVScroll(int code, int, HWND) {
    SCROLLINFO info = ScrollInfo(SIF_ALL);  // with the thumb's track position
    ::GetScrollInfo(m_hWnd, SB_VERT, &info);
    const int page = static_cast<int>(info.nPage);
    int position = info.nPos;
    switch (code) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    // The message carries only 16 bits of the thumb's place, which wrap past 65,535 rows.
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = info.nTrackPos; break;
    case SB_TOP: position = 0; break;
    // The last place of the thumb, which a drag to the bottom reaches.
    case SB_BOTTOM: position = info.nMax - page + 1; break;
    default: break;
    }
    ScrollTo(position);
}

bool CChannelTreeCtrl::ScrollTo(int position) {
    SCROLLINFO info = ScrollInfo(SIF_ALL);
    ::GetScrollInfo(m_hWnd, SB_VERT, &info);
    const int limit = info.nMax - static_cast<int>(info.nPage) + 1;
    if (position < 0 || limit < 0)
        position = 0;
    else if (position >= limit)
        position = limit;
    if (position == info.nPos)
        return false;
    SCROLLINFO update = ScrollInfo(SIF_POS);
    update.nPos = position;
    ::SetScrollInfo(m_hWnd, SB_VERT, &update, TRUE);
    Invalidate();
    return true;
}

void CChannelTreeCtrl::SetScrollPosition(int position) {
    SCROLLINFO info = ScrollInfo(SIF_POS);
    info.nPos = position;
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
}

void CChannelTreeCtrl::ScrollIntoView(int row) {
    if (row < 0)
        return;
    SCROLLINFO info = ScrollInfo(SIF_POS | SIF_PAGE);
    ::GetScrollInfo(m_hWnd, SB_VERT, &info);
    const int page = info.nPage > 0 ? static_cast<int>(info.nPage) : 1;
    if (row < info.nPos)
        SetScrollPosition(row);
    else if (row >= info.nPos + page)
        SetScrollPosition(row - page + 1);
    else
        return;
    Invalidate(false);
}

void CChannelTreeCtrl::OnMouseWheel(UINT, short delta, POINT screenPoint) {
    // The list under the pointer scrolls; elsewhere the wheel goes up to the owner, which
    // hands it to the list under the pointer whichever child has the focus. Under the pointer
    // means where the list shows: an owner with no room for it leaves it where it was, under
    // other windows or outside the owner.
    if (!IsShownInTopLevel() || !ShowsAt(screenPoint)) {
        SetMsgHandled(FALSE);
        return;
    }
    UINT linesPerNotch = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
    const RECT client = GetClientRect();
    const int page = std::max(1, static_cast<int>(client.bottom - client.top) / ROW_HEIGHT);
    const int rowsPerNotch =
        linesPerNotch == WHEEL_PAGESCROLL ? page : static_cast<int>(std::min<UINT>(linesPerNotch, 1000));
    if (rowsPerNotch == 0)
        return;
    // Precision touchpads send parts of a notch: keep what does not make a whole row yet, and
    // drop it when the direction turns.
    if ((wheelRemainder_ < 0 && delta > 0) || (wheelRemainder_ > 0 && delta < 0))
        wheelRemainder_ = 0;
    wheelRemainder_ += delta * rowsPerNotch;
    const int rows = wheelRemainder_ / WHEEL_DELTA;
    wheelRemainder_ -= rows * WHEEL_DELTA;
    if (rows == 0 || !ScrollTo(GetScrollPosition() - rows))
        return;
    // The rows moved under a resting pointer: no tooltip for the row that was there.
    POINT point = screenPoint;
    ::ScreenToClient(m_hWnd, &point);
    tooltip_.Disarm();
    hoverRow_ = -1;
    if (InClient(point))
        OnMouseMove(0, point);
    else
        EndHover();
}

}  // namespace UI
