#pragma once
// Owner-drawn list of channel tree rows with a fixed row height. The variants supply the row
// model; this class paints, scrolls, hovers, selects, expands and opens channels, and shows a
// channel row's menu.
#include "channellist/ui/ChannelRowModel.h"
#include "channellist/ui/ChannelTooltip.h"
#include "channellist/ui/ChannelTreeAccessible.h"
#include "channellist/ui/ChannelTreeNode.h"
#include "channellist/ui/PendingChanges.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "framework/win/ScopedGdi.h"

#include <string>

namespace UI {

class IChannelTreeCtrlEventListener {
public:
    // link: "trova://" server [":" port] "/" channel id of the opened channel.
    virtual void OnOpenChannel(std::wstring link) = 0;
    // The user added a channel to the favourites or removed one through a list's menu; the
    // change may still be kept in the pending changes.
    virtual void OnFavoritesChanged() {}
    // The search list shows the rows of its newest keyword.
    virtual void OnSearchResultsShown() {}

protected:
    ~IChannelTreeCtrlEventListener() = default;
};

class CChannelTreeCtrl : public CWindowImpl, private CDoubleBufferImpl {
public:
    static constexpr int ROW_HEIGHT = 22;

    BEGIN_MSG_MAP(CChannelTreeCtrl)
        MSG_WM_GETOBJECT(accessible_)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_DESTROY(OnDestroy)
        MSG_WM_SIZE(OnSize)
        MSG_WM_VSCROLL(OnVScroll)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
        MSG_WM_LBUTTONDOWN(OnLButtonDown)
        MSG_WM_MOUSEMOVE(OnMouseMove)
        MSG_WM_CAPTURECHANGED(OnCaptureChanged)
        MSG_WM_LBUTTONDBLCLK(OnLButtonDblClk)
        MSG_WM_RBUTTONDOWN(OnRButtonDown)
        MSG_WM_MOUSEWHEEL(OnMouseWheel)
        MSG_WM_KEYDOWN(OnKeyDown)
        MSG_WM_KEYUP(OnKeyUp)
        MESSAGE_HANDLER(WM_SYSKEYDOWN, OnSysKeyDown)
        MSG_WM_CONTEXTMENU(OnContextMenu)
        TROVA_MSG_RESULT(WM_GETDLGCODE, OnGetDlgCode(reinterpret_cast<const MSG*>(lParam)))
        MSG_WM_SHOWWINDOW(OnShowWindow)
        MSG_WM_WINDOWPOSCHANGED(OnWindowPosChanged)
    END_MSG_MAP()

    // The row model, read on every call: these answer for the rows as they are now.
    const IChannelRowModel& Rows() const { return rows_; }
    int GetRowCount() const { return rows_.RowCount(); }
    CChannelTreeNode* GetNodeAt(int row, int* topIndex) const { return rows_.NodeAt(row, topIndex); }
    bool IsChildRow(int row) const { return rows_.IsChildRow(row); }
    // Shows the row's menu at the pointer.
    virtual void OnRowRightClick(int row);

    // Range 0 .. row count, page = whole visible rows.
    void UpdateScrollRange();
    int GetScrollPosition() const;

    // What the mouse does to a row, for keyboard handling. SelectedRow is -1 when no row is
    // selected or the selected row is not shown. SelectRow selects without expanding and
    // scrolls the row into view. ExpandCatalogAt expands or collapses the catalog at a row
    // (collapsing the one expanded before) and selects it when the selected row would
    // disappear. OpenRow does what a double click on the row does.
    int SelectedRow();
    void SelectRow(int row);
    void ExpandCatalogAt(int row, bool expand);
    void OpenRow(int row);

    // The menu of a channel row: "播放", then adding to or removing from the favourites.
    enum RowCommand : UINT { kPlayCommand = 1, kAddFavoriteCommand, kRemoveFavoriteCommand };
    // Null for a catalog row or no row; the caller destroys the menu.
    HMENU CreateRowMenu(int row);
    void RunRowCommand(int row, UINT command);
    // On the channel the identity names, shown or not; nothing when it is gone.
    void RunRowCommand(const RowIdentity& row, UINT command);

    CChannelTreeNode* SelectedNode() const { return rows_.NodeOf(selected_); }
    CChannelTreeNode* ExpandedCatalog() const { return rows_.NodeOf(expanded_); }
    CChannelTreeNode* OpenedNode() const { return rows_.NodeOf(opened_); }
    int HoverRow() const { return hoverRow_; }
    CChannelTooltip& Tooltip() { return tooltip_; }

    void SetListener(IChannelTreeCtrlEventListener* listener) { listener_ = listener; }
    // The owner's set of the user's changes, shared by its lists, set before the window is
    // created: opened channels and favourite choices go through it. Without one a list only
    // plays.
    void SetPendingChanges(CPendingChanges* pending) { pending_ = pending; }
    // Shown by the owner in the header.
    int ChannelCount() const { return channelCount_; }
    // Denominator of the percentage column; 0 counts as 1.
    unsigned int TotalVisitors() const { return totalVisitors_; }
    // When the playing channel was last opened again (tick count); 0 before the first time.
    unsigned int LastReopenTick() const { return lastReopenTick_; }
    void SetLastReopenTickForTesting(unsigned int tick) { lastReopenTick_ = tick; }

protected:
    // The variant's model, which outlives this base: it is a member of the variant, over the
    // variant's node vectors.
    explicit CChannelTreeCtrl(const IChannelRowModel& rows) : rows_(rows) {}

    WindowClassSpec GetWindowClassSpec() const override;

    // Before a variant replaces its node vectors: selection, expansion, opened mark and the
    // tooltip's node are forgotten.
    void ForgetNodes();
    const CPendingChanges* PendingChanges() const { return pending_; }
    IChannelTreeCtrlEventListener* Listener() const { return listener_; }
    // What a variant's rows add up to, set whenever it has replaced them.
    void SetTotals(int channelCount, unsigned int totalVisitors) {
        channelCount_ = channelCount;
        totalVisitors_ = totalVisitors;
        accessible_.AnnounceRowsReplaced();
    }

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnDestroy();
    void OnSize(UINT type, SIZE size);
    UINT OnGetDlgCode(const MSG* message);
    void OnLButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnCaptureChanged(HWND newCapture);
    void OnLButtonDblClk(UINT flags, POINT point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnShowWindow(BOOL show, UINT status);
    void OnWindowPosChanged(WINDOWPOS* position);

    void DoPaint(HDC dc, const RECT& client) override;
    // Paints rows from index firstRow top-down from y 0 until the model ends or more than
    // rowBudget rows were painted: catalogs with the catalog painter, channels with the
    // channel painter.
    void DrawRows(HDC dc, int firstRow, int rowBudget);
    void DrawCatalogRow(HDC dc, const RECT& row, bool underMouse, CCatalogNode& node);
    void DrawChannelRow(HDC dc, const RECT& row, bool underMouse, CChannelNode& node);
    void LeaveHover();
    // Hover, tooltip and capture end together, as when the mouse leaves.
    void EndHover();
    // Clicks of a list that holds the mouse arrive from anywhere on the screen.
    bool InClient(POINT point) const;
    // What a double click on the node's row does.
    void Open(const RowIdentity& identity, CChannelTreeNode& node);
    void OpenChannel(const CChannelNode& node);
    // Selects the row's node; true when the selection changed.
    bool Select(int row, CChannelTreeNode& node);
    // Expands the row's node, collapsing the one expanded before, or collapses it again.
    void ToggleExpanded(int row, CChannelTreeNode& node);

    // Scrolling.
    void OnVScroll(int code, int thumbPosition, HWND scrollBar);
    void OnMouseWheel(UINT keys, short delta, POINT screenPoint);
    // Clamped like the scroll bar; true when the position changed.
    bool ScrollTo(int position);
    void SetScrollPosition(int position);
    // Scrolls as little as brings the row into view.
    void ScrollIntoView(int row);

    // The row menu.
    void OnRButtonDown(UINT flags, POINT point);
    void OnContextMenu(HWND window, POINT screenPoint);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    LRESULT OnSysKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The menu key and Shift+F10: the selected row's menu, below the row.
    void ShowSelectedRowMenu();
    void ShowRowMenu(int row, POINT screenPoint);

    // Where a channel's name starts; the keyboard's row menu opens there.
    static constexpr int kChannelTextLeft = 4;

    const IChannelRowModel& rows_;
    ScopedFont normalFont_;
    ScopedFont boldFont_;
    RowIdentity expanded_;    // catalog (or flat-list row) most recently toggled by a click
    int hoverRow_ = -1;       // visible row offset under the mouse, -1 outside
    int wheelRemainder_ = 0;  // wheel delta x rows per notch not yet scrolled
    RowIdentity selected_;
    RowIdentity opened_;
    ScopedBitmap collapsedBitmap_;
    ScopedBitmap collapsedHotBitmap_;
    ScopedBitmap expandedBitmap_;
    ScopedBitmap expandedHotBitmap_;
    ScopedBitmap playingBitmap_;
    CChannelTooltip tooltip_;
    IChannelTreeCtrlEventListener* listener_ = nullptr;  // not owned
    int channelCount_ = 0;
    unsigned int totalVisitors_ = 0;
    unsigned int lastReopenTick_ = 0;
    CPendingChanges* pending_ = nullptr;  // not owned
    CChannelTreeAccessible accessible_{*this};
};

}  // namespace UI
