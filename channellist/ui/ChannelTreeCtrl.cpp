#include "channellist/ui/ChannelTreeCtrl.h"

#include "channellist/ui/ChannelTreeResources.h"
#include "framework/win/Bitmap.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/Module.h"

#include <algorithm>

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
const int kPercentRightGap = 2;
const int kPlayingMarkHeight = 11;
// Free pixels at the right of every name, for the percentage.
const int kPercentColumnWidth = 36;
// How long after a re-open the playing channel may be opened again.
const int kReopenIntervalMs = 5000;

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
    tooltip_.Disarm();
    if (tooltip_.m_hWnd)
        ::DestroyWindow(tooltip_);
    SetMsgHandled(FALSE);
}

void CChannelTreeCtrl::OnSize(UINT, SIZE) {
    DefWindowProc();
    UpdateScrollRange();
    Invalidate();
}

UINT CChannelTreeCtrl::OnGetDlgCode(const MSG* message) {
    // Arrows, characters and Enter move and open in the list, even inside a dialog-style
    // container; Tab still moves between the container's controls.
    UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return code;
}

void CChannelTreeCtrl::DoPaint(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
    ScopedSelectObject font(dc, normalFont_);
    ScopedBkMode mode(dc, TRANSPARENT);
    DrawRows(dc, GetScrollPosition(), (client.bottom - client.top) / ROW_HEIGHT + 1);
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

    RECT text{row.left + kCatalogTextLeft, row.top, row.right - kPercentColumnWidth, row.bottom};
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
    ::SetTextColor(dc, underMouse      ? kHotColor
                       : node.playing  ? kPlayingColor
                       : node.selected ? kSelectedColor
                                       : kChannelColor);

    RECT name{row.left + kChannelTextLeft, row.top, row.right - kPercentColumnWidth, row.bottom};
    if (node.playing) {
        DrawBitmapTransparent(dc, playingBitmap_, row.left + kChannelTextLeft,
                              row.top + (ROW_HEIGHT - kPlayingMarkHeight) / 2, kTransparentKey);
        name.left += BitmapSize(playingBitmap_).cx + 4;
    }
    DrawRowText(dc, node.GetName(), name, DT_WORD_ELLIPSIS);

    const std::wstring percent = std::to_wstring(VisitorPercent(node.visitors, totalVisitors_)) + L"%";
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, percent.c_str(), static_cast<int>(percent.size()), &extent);
    RECT percentRect{row.right - kPercentRightGap - extent.cx, row.top, row.right - kPercentRightGap, row.bottom};
    DrawRowText(dc, percent, percentRect);
}

void CChannelTreeCtrl::DrawRows(HDC dc, int firstRow, int rowBudget) {
    const RECT client = GetClientRect();
    int painted = 0;
    for (CChannelTreeNode* node : rows_.VisibleRows(firstRow, rowBudget + 1)) {
        const RECT rect{client.left, painted * ROW_HEIGHT, client.right, (painted + 1) * ROW_HEIGHT};
        const bool underMouse = painted == hoverRow_;
        ++painted;
        if (node->IsCatalog())
            DrawCatalogRow(dc, rect, underMouse, *static_cast<CCatalogNode*>(node));
        else
            DrawChannelRow(dc, rect, underMouse, *static_cast<CChannelNode*>(node));
    }
}

void CChannelTreeCtrl::ForgetNodes() {
    selected_ = RowIdentity();
    expanded_ = RowIdentity();
    opened_ = RowIdentity();
    tooltip_.Disarm();
}

bool CChannelTreeCtrl::InClient(POINT point) const {
    const RECT client = GetClientRect();
    return ::PtInRect(&client, point) != FALSE;
}

void CChannelTreeCtrl::OnLButtonDown(UINT, POINT point) {
    // While the mouse is captured, presses outside the rows arrive here too: not a row.
    if (!InClient(point))
        return;
    if (::GetFocus() != m_hWnd)
        SetFocus();  // the keys go to the list clicked last
    const int offset = point.y / ROW_HEIGHT;
    const int row = GetScrollPosition() + offset;
    int topIndex = 0;
    CChannelTreeNode* node = GetNodeAt(row, &topIndex);
    if (!node)
        return;

    const bool selectionChanged = Select(row, *node);
    if (!IsChildRow(row)) {
        ToggleExpanded(row, *node);
        // The new range first: a position set against the old, shorter range would be cut.
        UpdateScrollRange();
        if (offset > 4) {
            // Bring the clicked catalog to the third visible row.
            SetScrollPosition(topIndex - 2 > 0 ? topIndex - 2 : 0);
        }
        Invalidate();
    } else if (selectionChanged) {
        Invalidate(false);
    }
    // Told where the row is now: a catalog moves when one above it collapses.
    if (selectionChanged)
        accessible_.AnnounceSelection(node->IsCatalog() ? rows_.RowOf(selected_) : row);
    SetMsgHandled(FALSE);
}

bool CChannelTreeCtrl::Select(int row, CChannelTreeNode& node) {
    const RowIdentity identity = rows_.IdentityAt(row);
    if (identity == selected_)
        return false;
    if (CChannelTreeNode* previous = rows_.NodeOf(selected_))
        previous->selected = false;
    node.selected = true;
    selected_ = identity;
    return true;
}

void CChannelTreeCtrl::ToggleExpanded(int row, CChannelTreeNode& node) {
    const RowIdentity identity = rows_.IdentityAt(row);
    if (expanded_ != identity) {
        if (CChannelTreeNode* previous = rows_.NodeOf(expanded_))
            previous->expanded = false;
    }
    expanded_ = identity;
    node.expanded = !node.expanded;
    if (node.IsCatalog())
        accessible_.AnnounceExpansion(rows_.RowOf(identity));
}

int CChannelTreeCtrl::SelectedRow() { return rows_.RowOf(selected_); }

void CChannelTreeCtrl::SelectRow(int row) {
    CChannelTreeNode* node = GetNodeAt(row, nullptr);
    if (!node)
        return;
    const bool selectionChanged = Select(row, *node);
    ScrollIntoView(row);
    Invalidate(false);
    if (selectionChanged)
        accessible_.AnnounceSelection(row);
}

void CChannelTreeCtrl::ExpandCatalogAt(int row, bool expand) {
    CChannelTreeNode* node = GetNodeAt(row, nullptr);
    if (!node || IsChildRow(row) || !node->IsCatalog() || node->expanded == expand)
        return;
    const RowIdentity catalog = rows_.IdentityAt(row);
    ToggleExpanded(row, *node);
    if (selected_ && rows_.RowOf(selected_) < 0) {
        const int catalogRow = rows_.RowOf(catalog);
        CChannelTreeNode* shown = GetNodeAt(catalogRow, nullptr);
        if (shown && Select(catalogRow, *shown))
            accessible_.AnnounceSelection(catalogRow);
    }
    UpdateScrollRange();
    Invalidate();
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
        tooltip_.Arm(node);
        return;
    }
    EndHover();
}

void CChannelTreeCtrl::LeaveHover() {
    hoverRow_ = -1;
    Invalidate(false);
    ReleaseCapture();
}

void CChannelTreeCtrl::EndHover() {
    tooltip_.Disarm();
    if (hoverRow_ != -1)
        LeaveHover();
}

void CChannelTreeCtrl::OnShowWindow(BOOL show, UINT) {
    // A hidden list would keep the mouse, and the tooltip of a row nobody sees.
    if (!show)
        EndHover();
    SetMsgHandled(FALSE);
}

void CChannelTreeCtrl::OnWindowPosChanged(WINDOWPOS* position) {
    // Hiding through SetWindowPos sends no WM_SHOWWINDOW.
    if (position->flags & SWP_HIDEWINDOW)
        EndHover();
    SetMsgHandled(FALSE);
}

void CChannelTreeCtrl::OnCaptureChanged(HWND newCapture) {
    // Another window took the mouse: the leave would never be seen, so leave now.
    if (newCapture != m_hWnd && hoverRow_ != -1) {
        tooltip_.Disarm();
        hoverRow_ = -1;
        Invalidate(false);
    }
}

void CChannelTreeCtrl::OnLButtonDblClk(UINT, POINT point) {
    if (!InClient(point))
        return;
    const int row = GetScrollPosition() + point.y / ROW_HEIGHT;
    if (!GetNodeAt(row, nullptr))
        return;
    OpenRow(row);
    SetMsgHandled(FALSE);
}

void CChannelTreeCtrl::OpenRow(int row) {
    if (CChannelTreeNode* node = GetNodeAt(row, nullptr))
        Open(rows_.IdentityAt(row), *node);
}

void CChannelTreeCtrl::Open(const RowIdentity& identity, CChannelTreeNode& node) {
    const bool same = opened_ && opened_ == identity;
    // Catalogs and channels without server or channel id have no link: nothing to open.
    if (node.IsCatalog() || node.GetLink().empty())
        return;
    if (CChannelTreeNode* previous = rows_.NodeOf(opened_))
        previous->playing = false;
    node.playing = true;
    opened_ = identity;

    bool open = true;
    if (same) {
        const DWORD now = ::GetTickCount();
        const int elapsed = static_cast<int>(now - lastReopenTick_);
        open = elapsed > kReopenIntervalMs || elapsed < 0;
        if (open)
            lastReopenTick_ = now;
    }
    // Invalidate before opening: the listener may reload this list and its nodes.
    Invalidate();
    if (open)
        OpenChannel(static_cast<const CChannelNode&>(node));
}

void CChannelTreeCtrl::OpenChannel(const CChannelNode& node) {
    const std::wstring link = node.GetLink();
    // History first, so a listener that reloads the history already sees the channel on top.
    // A write the database cannot take now is kept, shown and written later; it never keeps
    // the channel from opening.
    if (pending_)
        pending_->OpenedChannel(node.Info());
    if (listener_)
        listener_->OnOpenChannel(link);
}

void CChannelTreeCtrl::OnKeyDown(UINT key, UINT, UINT) {
    // A list keeps the focus when its owner is hidden around it: it moves and opens nothing
    // unseen.
    if (!IsShownInTopLevel()) {
        SetMsgHandled(FALSE);
        return;
    }
    const int rows = GetRowCount();
    const int selected = SelectedRow();
    const RECT client = GetClientRect();
    const int page = std::max(1, static_cast<int>(client.bottom - client.top) / ROW_HEIGHT);
    // Without a selection the first key selects the top visible row.
    const int current = selected >= 0 ? selected : GetScrollPosition();
    const auto moveTo = [&](int row) {
        if (rows > 0)
            SelectRow(std::min(std::max(row, 0), rows - 1));
    };
    CChannelTreeNode* node = selected >= 0 ? GetNodeAt(selected, nullptr) : nullptr;
    switch (key) {
    case VK_UP: moveTo(selected >= 0 ? current - 1 : current); break;
    case VK_DOWN: moveTo(selected >= 0 ? current + 1 : current); break;
    case VK_PRIOR: moveTo(selected >= 0 ? current - page : current); break;
    case VK_NEXT: moveTo(selected >= 0 ? current + page : current); break;
    case VK_HOME: moveTo(0); break;
    case VK_END: moveTo(rows - 1); break;
    case VK_RIGHT:
        if (node && node->IsCatalog()) {
            ExpandCatalogAt(selected, true);
            // Collapsing a long catalog above moves this one up, maybe out of view.
            ScrollIntoView(SelectedRow());
        }
        break;
    case VK_LEFT:
        if (node && node->IsCatalog()) {
            ExpandCatalogAt(selected, false);
            ScrollIntoView(SelectedRow());
        } else if (node && IsChildRow(selected)) {
            // From a channel, to its catalog, closing it; the catalog may be far above.
            int catalogRow = selected;
            while (catalogRow > 0 && IsChildRow(catalogRow))
                --catalogRow;
            ExpandCatalogAt(catalogRow, false);
            ScrollIntoView(SelectedRow());
        }
        break;
    case VK_RETURN:
        if (node)
            OpenRow(selected);
        break;
    case VK_APPS: ShowSelectedRowMenu(); break;
    default: SetMsgHandled(FALSE); break;
    }
}

}  // namespace UI
