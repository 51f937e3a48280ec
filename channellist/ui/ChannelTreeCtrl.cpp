#include "channellist/ui/ChannelTreeCtrl.h"

#include "channellist/ui/ChannelTreeResources.h"
#include "framework/win/Bitmap.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/Module.h"
#include "framework/win/ScopedHandle.h"

#include <algorithm>
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
// Free pixels at the right of every name, for the percentage.
const int kPercentColumnWidth = 36;
// How long after a re-open the playing channel may be opened again.
const int kReopenIntervalMs = 5000;

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
    const int rowsPerNotch = linesPerNotch == WHEEL_PAGESCROLL ? page : static_cast<int>(std::min<UINT>(linesPerNotch, 1000));
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
    ::SetTextColor(dc, underMouse     ? kHotColor
                       : node.playing ? kPlayingColor
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

void CChannelTreeCtrl::DrawModelRows(HDC dc, const std::vector<RowPosition>& rows, std::vector<CCatalogNode>* catalogs,
                                     std::vector<CChannelNode>* channels) {
    const RECT client = GetClientRect();
    int painted = 0;
    for (const RowPosition& position : rows) {
        const RECT rect{client.left, painted * ROW_HEIGHT, client.right, (painted + 1) * ROW_HEIGHT};
        const bool underMouse = painted == hoverRow_;
        ++painted;
        if (!catalogs) {
            DrawChannelRow(dc, rect, underMouse, (*channels)[static_cast<size_t>(position.channel)]);
            continue;
        }
        CCatalogNode& catalog = (*catalogs)[static_cast<size_t>(position.catalog)];
        if (position.IsCatalog())
            DrawCatalogRow(dc, rect, underMouse, catalog);
        else
            DrawChannelRow(dc, rect, underMouse, catalog.channels[static_cast<size_t>(position.channel)]);
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
        accessible_.AnnounceSelection(node->IsCatalog() ? RowOf(selected_) : row);
    SetMsgHandled(FALSE);
}

bool CChannelTreeCtrl::Select(int row, CChannelTreeNode& node) {
    const RowIdentity identity = IdentityAt(row);
    if (identity == selected_)
        return false;
    if (CChannelTreeNode* previous = NodeOf(selected_))
        previous->selected = false;
    node.selected = true;
    selected_ = identity;
    return true;
}

void CChannelTreeCtrl::ToggleExpanded(int row, CChannelTreeNode& node) {
    const RowIdentity identity = IdentityAt(row);
    if (expanded_ != identity) {
        if (CChannelTreeNode* previous = NodeOf(expanded_))
            previous->expanded = false;
    }
    expanded_ = identity;
    node.expanded = !node.expanded;
    if (node.IsCatalog())
        accessible_.AnnounceExpansion(RowOf(identity));
}

void CChannelTreeCtrl::SetScrollPosition(int position) {
    SCROLLINFO info = ScrollInfo(SIF_POS);
    info.nPos = position;
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
}

int CChannelTreeCtrl::SelectedRow() { return RowOf(selected_); }

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

void CChannelTreeCtrl::ExpandCatalogAt(int row, bool expand) {
    CChannelTreeNode* node = GetNodeAt(row, nullptr);
    if (!node || IsChildRow(row) || !node->IsCatalog() || node->expanded == expand)
        return;
    const RowIdentity catalog = IdentityAt(row);
    ToggleExpanded(row, *node);
    if (selected_ && RowOf(selected_) < 0) {
        const int catalogRow = RowOf(catalog);
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
        Open(IdentityAt(row), *node);
}

void CChannelTreeCtrl::Open(const RowIdentity& identity, CChannelTreeNode& node) {
    const bool same = opened_ && opened_ == identity;
    // Catalogs and channels without server or channel id have no link: nothing to open.
    if (node.IsCatalog() || node.GetLink().empty())
        return;
    if (CChannelTreeNode* previous = NodeOf(opened_))
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

void CChannelTreeCtrl::OnRButtonDown(UINT, POINT point) {
    if (!InClient(point))
        return;
    OnRowRightClick(GetScrollPosition() + point.y / ROW_HEIGHT);
}

void CChannelTreeCtrl::OnRowRightClick(int row) {
    const MSG* message = GetCurrentMessage();
    POINT point = message ? PointFromLParam(message->lParam) : POINT{};
    ::ClientToScreen(m_hWnd, &point);
    ShowRowMenu(row, point);
}

void CChannelTreeCtrl::OnContextMenu(HWND, POINT screenPoint) {
    // The mouse's menu came with the button press; this one is the keyboard's.
    if (screenPoint.x == -1 && screenPoint.y == -1)
        ShowSelectedRowMenu();
}

void CChannelTreeCtrl::OnKeyUp(UINT key, UINT, UINT) {
    // The menu key's menu came with the press: no second one from the default handling.
    if (key != VK_APPS)
        SetMsgHandled(FALSE);
}

LRESULT CChannelTreeCtrl::OnSysKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0)
        ShowSelectedRowMenu();
    else
        handled = FALSE;  // F10 and Alt keys work the container's menus
    return 0;
}

void CChannelTreeCtrl::ShowSelectedRowMenu() {
    if (!IsShownInTopLevel())
        return;  // the keys of a list nobody sees
    const int row = SelectedRow();
    POINT point{kChannelTextLeft, (row - GetScrollPosition() + 1) * ROW_HEIGHT};
    ::ClientToScreen(m_hWnd, &point);
    ShowRowMenu(row, point);
}

HMENU CChannelTreeCtrl::CreateRowMenu(int row) {
    CChannelTreeNode* node = GetNodeAt(row, nullptr);
    if (!node || node->IsCatalog())
        return nullptr;
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return nullptr;
    ::AppendMenuW(menu, MF_STRING, kPlayCommand, L"播放");
    if (pending_) {
        // The user's last choice, written or not.
        const bool favorite = pending_->IsFavorite(static_cast<const CChannelNode*>(node)->Info());
        ::AppendMenuW(menu, MF_STRING, favorite ? kRemoveFavoriteCommand : kAddFavoriteCommand,
                      favorite ? L"从我的收藏中移除" : L"添加到我的收藏");
    }
    return menu;
}

void CChannelTreeCtrl::ShowRowMenu(int row, POINT screenPoint) {
    ScopedMenu menu(CreateRowMenu(row));
    if (!menu)
        return;
    // The menu's loop runs timers and posted messages, which may replace the rows meanwhile:
    // the command goes to the row's channel as found again afterwards.
    const RowIdentity channel = IdentityAt(row);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screenPoint.x, screenPoint.y, 0, m_hWnd, nullptr));
    menu.Reset();
    RunRowCommand(channel, command);
}

void CChannelTreeCtrl::RunRowCommand(int row, UINT command) { RunRowCommand(IdentityAt(row), command); }

void CChannelTreeCtrl::RunRowCommand(const RowIdentity& row, UINT command) {
    CChannelTreeNode* node = NodeOf(row);
    if (!node || node->IsCatalog())
        return;
    if (command == kPlayCommand) {
        Open(row, *node);
        return;
    }
    if ((command != kAddFavoriteCommand && command != kRemoveFavoriteCommand) || !pending_)
        return;
    pending_->ChoseFavorite(static_cast<const CChannelNode*>(node)->Info(), command == kAddFavoriteCommand);
    // The owner reloads the favourites, which may be this very list: nothing after this.
    if (listener_)
        listener_->OnFavoritesChanged();
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
