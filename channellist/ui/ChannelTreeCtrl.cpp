#include "channellist/ui/ChannelTreeCtrl.h"

#include "channellist/store/ChannelDatabase.h"
#include "channellist/ui/ChannelTreeResources.h"
#include "framework/win/Bitmap.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/Module.h"

#include <cstdio>

namespace UI {

namespace {
const COLORREF kCaptionColor = RGB(128, 128, 128);
const COLORREF kLabelShadowColor = RGB(40, 40, 40);
const COLORREF kHotColor = RGB(24, 100, 188);
const COLORREF kSelectedColor = RGB(62, 114, 170);
const COLORREF kLabelColor = RGB(255, 255, 255);
const COLORREF kPlayingColor = RGB(251, 135, 50);
const COLORREF kChannelColor = RGB(225, 225, 225);
const COLORREF kTransparentKey = RGB(255, 0, 255);
const int kExpandBoxInset = 4;
const int kCatalogTextLeft = 20;
const int kChannelTextLeft = 4;
const int kPercentRightGap = 2;
const int kPlayingMarkHeight = 11;

SCROLLINFO ScrollInfo(UINT mask) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    return info;
}

// The logical GUI face rather than an empty name: it maps to the locale's dialog font (宋体 on
// Chinese systems) and has Chinese glyphs or links to them elsewhere, whereas the empty name
// can give a face without the Chinese channel names' glyphs.
const wchar_t kRowFontFace[] = L"MS Shell Dlg";

HFONT MakeRowFont(int weight) {
    return ::CreateFontW(15, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kRowFontFace);
}

void DrawRowText(HDC dc, const std::wstring& text, RECT rect, UINT extraFormat = 0) {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | extraFormat);
}

void FillHotRow(HDC dc, const RECT& row) {
    // Black fill outlined with the DC's current (default black) pen.
    ScopedSelectObject brush(dc, ::GetStockObject(BLACK_BRUSH));
    ::Rectangle(dc, row.left, row.top, row.right, row.bottom);
}
}  // namespace

CChannelTreeCtrl::~CChannelTreeCtrl() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

WindowClassSpec CChannelTreeCtrl::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaChannelTree";
    windowClass.style = CS_DBLCLKS;
    return windowClass;
}

int CChannelTreeCtrl::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1)
        return -1;
    normalFont_.Reset(MakeRowFont(FW_NORMAL));
    boldFont_.Reset(MakeRowFont(FW_BOLD));
    tooltip_.Create(m_hWnd, RECT{0, 0, 0, 0}, nullptr, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    const HINSTANCE module = ThisModule();
    collapsedBitmap_ = LoadDibResource(module, IDB_TREE_COLLAPSED);
    collapsedHotBitmap_ = LoadDibResource(module, IDB_TREE_COLLAPSED_HOT);
    expandedBitmap_ = LoadDibResource(module, IDB_TREE_EXPANDED);
    expandedHotBitmap_ = LoadDibResource(module, IDB_TREE_EXPANDED_HOT);
    playingBitmap_ = LoadDibResource(module, IDB_TREE_PLAYING);
    return 0;
}

void CChannelTreeCtrl::OnDestroy() {
    // The popup is owned by the top-level window, not by this child: it would outlive the list
    // and keep pointing at its nodes.
    DisarmTooltip();
    if (tooltip_.m_hWnd)
        ::DestroyWindow(tooltip_);
    SetMsgHandled(FALSE);
}

void CChannelTreeCtrl::OnSize(UINT, SIZE) {
    DefWindowProc();
    UpdateScrollRange();
    Invalidate();
}

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

void CChannelTreeCtrl::OnVScroll(int code, int thumbPosition, HWND) {
    SCROLLINFO info = ScrollInfo(SIF_ALL);
    ::GetScrollInfo(m_hWnd, SB_VERT, &info);
    const int page = static_cast<int>(info.nPage);
    int position = info.nPos;
    switch (code) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = thumbPosition; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = info.nMax - page; break;
    default: break;
    }
    const int limit = info.nMax - page + 1;
    if (position < 0 || limit < 0)
        position = 0;
    else if (position >= limit)
        position = limit;
    if (position != info.nPos) {
        SCROLLINFO update = ScrollInfo(SIF_POS);
        update.nPos = position;
        ::SetScrollInfo(m_hWnd, SB_VERT, &update, TRUE);
        Invalidate();
    }
}

void CChannelTreeCtrl::OnPaint() {
    ScopedPaintDC dc(m_hWnd);
    PaintClient(dc);
}

void CChannelTreeCtrl::OnPrintClient(HDC dc, UINT) { PaintClient(dc); }

void CChannelTreeCtrl::PaintClient(HDC target) {
    const RECT client = GetClientRect();
    CMemoryDC buffer(target, client);
    if (!buffer.IsValid())
        return;
    ::FillRect(buffer, &client, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
    ScopedSelectObject font(buffer, normalFont_);
    ScopedBkMode mode(buffer, TRANSPARENT);
    DrawRows(buffer, GetScrollPosition(), (client.bottom - client.top) / ROW_HEIGHT + 1);
}

void CChannelTreeCtrl::DrawCatalogRow(HDC dc, const RECT& row, bool underMouse, CCatalogNode& node) {
    ScopedSaveDC saved(dc);
    if (underMouse)
        FillHotRow(dc, row);
    HBITMAP box = node.expanded ? (underMouse ? expandedHotBitmap_ : expandedBitmap_)
                                : (underMouse ? collapsedHotBitmap_ : collapsedBitmap_);
    DrawBitmap(dc, box, row.left + kExpandBoxInset, row.top + kExpandBoxInset);
    if (node.selected)
        ::SelectObject(dc, boldFont_);  // undone by ScopedSaveDC

    RECT text{row.left + kCatalogTextLeft, row.top, row.right - rightMargin, row.bottom};
    // Caption in grey, then the label over its start with a shadow: "label(count)".
    ::SetTextColor(dc, kCaptionColor);
    DrawRowText(dc, node.GetCaption(), text);
    const std::wstring label = node.GetLabel();
    ::SetTextColor(dc, kLabelShadowColor);
    DrawRowText(dc, label, text);
    ::OffsetRect(&text, -1, -1);
    ::SetTextColor(dc, underMouse ? kHotColor : node.selected ? kSelectedColor : kLabelColor);
    DrawRowText(dc, label, text);
}

void CChannelTreeCtrl::DrawChannelRow(HDC dc, const RECT& row, bool underMouse, CChannelNode& node) {
    ScopedSaveDC saved(dc);
    if (underMouse)
        FillHotRow(dc, row);
    ::SetTextColor(dc, underMouse     ? kHotColor
                       : node.playing ? kPlayingColor
                       : node.selected ? kSelectedColor
                                       : kChannelColor);

    RECT name{row.left + kChannelTextLeft, row.top, row.right - rightMargin, row.bottom};
    if (node.playing) {
        DrawBitmapTransparent(dc, playingBitmap_, row.left + kChannelTextLeft,
                              row.top + (ROW_HEIGHT - kPlayingMarkHeight) / 2, kTransparentKey);
        name.left += BitmapSize(playingBitmap_).cx + 4;
    }
    DrawRowText(dc, node.GetName(), name, DT_WORD_ELLIPSIS);

    const std::wstring percent = std::to_wstring(VisitorPercent(node.visitors, totalVisitors)) + L"%";
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, percent.c_str(), static_cast<int>(percent.size()), &extent);
    RECT percentRect{row.right - kPercentRightGap - extent.cx, row.top, row.right - kPercentRightGap, row.bottom};
    DrawRowText(dc, percent, percentRect);
}

void CChannelTreeCtrl::DrawFlatRows(HDC dc, int firstRow, int rowBudget, std::vector<CChannelNode>& channels) {
    const RECT client = GetClientRect();
    int painted = 0;
    for (int row = firstRow < 0 ? 0 : firstRow; row < static_cast<int>(channels.size()) && painted <= rowBudget;
         ++row, ++painted) {
        RECT rect{client.left, painted * ROW_HEIGHT, client.right, (painted + 1) * ROW_HEIGHT};
        DrawChannelRow(dc, rect, painted == hoverRow_, channels[static_cast<size_t>(row)]);
    }
}

CChannelTreeNode* CChannelTreeCtrl::FlatNodeAt(std::vector<CChannelNode>& channels, int row, int* topIndex) {
    if (row < 0 || row >= static_cast<int>(channels.size()))
        return nullptr;
    if (topIndex)
        *topIndex = row;
    return &channels[static_cast<size_t>(row)];
}

void CChannelTreeCtrl::ForgetNodes() {
    selectedNode_ = nullptr;
    expandedCatalog_ = nullptr;
    openedNode_ = nullptr;
    DisarmTooltip();
}

void CChannelTreeCtrl::DisarmTooltip() {
    tooltip_.state = CChannelTooltip::kIdle;
    if (tooltip_.m_hWnd)
        ::ShowWindow(tooltip_, SW_HIDE);
    tooltip_.node = nullptr;
}

void CChannelTreeCtrl::OnLButtonDown(UINT, POINT point) {
    const RECT client = GetClientRect();
    // While the mouse is captured, presses outside the rows arrive here too: not a row.
    if (!::PtInRect(&client, point))
        return;
    const int offset = point.y / ROW_HEIGHT;
    const int row = GetScrollPosition() + offset;
    int topIndex = 0;
    CChannelTreeNode* node = GetNodeAt(row, &topIndex);
    if (!node)
        return;

    bool selectionChanged = false;
    if (selectedNode_ && selectedNode_ != node)
        selectedNode_->selected = false;
    if (node != selectedNode_) {
        node->selected = true;
        selectedNode_ = node;
        selectionChanged = true;
    }

    if (!IsChildRow(row)) {
        if (expandedCatalog_ && expandedCatalog_ != selectedNode_)
            expandedCatalog_->expanded = false;
        expandedCatalog_ = selectedNode_;
        expandedCatalog_->expanded = !expandedCatalog_->expanded;
        // The new range first: a position set against the old, shorter range would be cut.
        UpdateScrollRange();
        if (offset > 4) {
            // Bring the clicked catalog to the third visible row.
            SCROLLINFO info = ScrollInfo(SIF_POS);
            info.nPos = topIndex - 2 > 0 ? topIndex - 2 : 0;
            ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
        }
        Invalidate();
    } else if (selectionChanged) {
        Invalidate(false);
    }
    SetMsgHandled(FALSE);
}

void CChannelTreeCtrl::OnMouseMove(UINT, POINT point) {
    const RECT client = GetClientRect();
    if (::PtInRect(&client, point)) {
        const int offset = point.y / ROW_HEIGHT;
        if (offset == hoverRow_)
            return;
        hoverRow_ = offset;
        Invalidate(false);
        SetCapture();  // so that leaving the window is seen
        CChannelTreeNode* node = GetNodeAt(GetScrollPosition() + hoverRow_, nullptr);
        if (!node)
            return;
        DisarmTooltip();
        tooltip_.node = node;
        tooltip_.ticks = 0;
        tooltip_.state = CChannelTooltip::kArmed;
        return;
    }
    DisarmTooltip();
    if (hoverRow_ != -1)
        LeaveHover();
}

void CChannelTreeCtrl::LeaveHover() {
    hoverRow_ = -1;
    Invalidate(false);
    ReleaseCapture();
}

void CChannelTreeCtrl::OnCaptureChanged(HWND newCapture) {
    // Another window took the mouse: the leave would never be seen, so leave now.
    if (newCapture != m_hWnd && hoverRow_ != -1) {
        DisarmTooltip();
        hoverRow_ = -1;
        Invalidate(false);
    }
}

void CChannelTreeCtrl::OnLButtonDblClk(UINT, POINT point) {
    CChannelTreeNode* node = GetNodeAt(GetScrollPosition() + point.y / ROW_HEIGHT, nullptr);
    if (!node)
        return;
    const bool same = openedNode_ && openedNode_ == node;
    // Catalogs and channels without server or channel id have no link: nothing to open.
    if (node->IsCatalog() || node->GetLink().empty())
        return;
    if (openedNode_)
        openedNode_->playing = false;
    node->playing = true;
    openedNode_ = node;

    bool open = true;
    if (same) {
        const DWORD now = ::GetTickCount();
        const int elapsed = static_cast<int>(now - lastReopenTick);
        open = elapsed > reopenInterval || elapsed < 0;
        if (open)
            lastReopenTick = now;
    }
    // Invalidate before opening: the listener may reload this list and its nodes.
    Invalidate();
    if (open)
        OpenChannel(static_cast<const CChannelNode&>(*node));
    SetMsgHandled(FALSE);
}

void CChannelTreeCtrl::OpenChannel(const CChannelNode& node) {
    const int channelId = node.info.id;
    const std::wstring link = node.GetLink();
    // History first, so a listener that reloads the history already sees the channel on top.
    // A failed write must not keep the channel from opening.
    TouchHistory(channelId);
    if (listener)
        listener->OnOpenChannel(link);
}

void CChannelTreeCtrl::OnRButtonDown(UINT, POINT point) {
    OnRowRightClick(GetScrollPosition() + point.y / ROW_HEIGHT);
}

}  // namespace UI
