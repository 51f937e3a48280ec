#include "channellist/ui/ChannelTreeAccessible.h"

#include "channellist/ui/ChannelTreeCtrl.h"

namespace UI {

namespace {
const wchar_t kPlayAction[] = L"播放";
const wchar_t kExpandAction[] = L"展开";
const wchar_t kCollapseAction[] = L"折叠";

long ChildOf(int row) { return row < 0 ? CHILDID_SELF : row + 1; }
}  // namespace

bool CChannelTreeAccessible::Focused() const { return ::GetFocus() == list_.m_hWnd; }

long CChannelTreeAccessible::ChildCount() { return list_.GetRowCount(); }

long CChannelTreeAccessible::Role(long child) {
    const bool outline = list_.Rows().IsOutline();
    if (child == CHILDID_SELF)
        return outline ? ROLE_SYSTEM_OUTLINE : ROLE_SYSTEM_LIST;
    return outline ? ROLE_SYSTEM_OUTLINEITEM : ROLE_SYSTEM_LISTITEM;
}

std::wstring CChannelTreeAccessible::Name(long child) {
    if (child == CHILDID_SELF)
        return list_.GetWindowText();
    CChannelTreeNode* node = list_.GetNodeAt(RowOf(child), nullptr);
    if (!node)
        return std::wstring();
    // A catalog as its row shows it, count included: "其它(3)".
    if (node->IsCatalog())
        return static_cast<CCatalogNode*>(node)->GetCaption();
    return static_cast<CChannelNode*>(node)->GetName();
}

std::wstring CChannelTreeAccessible::Value(long child) {
    CChannelTreeNode* node = child == CHILDID_SELF ? nullptr : list_.GetNodeAt(RowOf(child), nullptr);
    if (!node || node->IsCatalog())
        return std::wstring();
    // The percentage column as drawn.
    return std::to_wstring(VisitorPercent(static_cast<CChannelNode*>(node)->visitors, list_.TotalVisitors())) + L"%";
}

std::wstring CChannelTreeAccessible::Description(long child) {
    CChannelTreeNode* node = child == CHILDID_SELF ? nullptr : list_.GetNodeAt(RowOf(child), nullptr);
    if (!node || node->IsCatalog())
        return std::wstring();
    return static_cast<CChannelNode*>(node)->GetDescription();
}

long CChannelTreeAccessible::State(long child) {
    const bool visible = ::IsWindowVisible(list_.m_hWnd) != FALSE;
    if (child == CHILDID_SELF)
        return STATE_SYSTEM_FOCUSABLE | (Focused() ? STATE_SYSTEM_FOCUSED : 0) | (visible ? 0 : STATE_SYSTEM_INVISIBLE);
    const int row = RowOf(child);
    CChannelTreeNode* node = list_.GetNodeAt(row, nullptr);
    if (!node)
        return STATE_SYSTEM_UNAVAILABLE;
    long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (node->selected)
        state |= STATE_SYSTEM_SELECTED | (Focused() ? STATE_SYSTEM_FOCUSED : 0);
    if (node->IsCatalog())
        state |= node->expanded ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    // Rows partly shown at the bottom are on the screen.
    const RECT client = list_.GetClientRect();
    const int first = list_.GetScrollPosition();
    const int shown = (client.bottom - client.top + CChannelTreeCtrl::ROW_HEIGHT - 1) / CChannelTreeCtrl::ROW_HEIGHT;
    if (!visible || row < first || row >= first + shown)
        state |= STATE_SYSTEM_OFFSCREEN;
    else if (row - first == list_.HoverRow())
        state |= STATE_SYSTEM_HOTTRACKED;
    return state;
}

bool CChannelTreeAccessible::Location(long child, RECT& screen) {
    RECT client = list_.GetClientRect();
    if (child != CHILDID_SELF) {
        // Where the row is drawn, or would be when scrolled to.
        client.top = (RowOf(child) - list_.GetScrollPosition()) * CChannelTreeCtrl::ROW_HEIGHT;
        client.bottom = client.top + CChannelTreeCtrl::ROW_HEIGHT;
    }
    screen = ClientToScreenRect(list_.m_hWnd, client);
    return true;
}

std::wstring CChannelTreeAccessible::DefaultAction(long child) {
    CChannelTreeNode* node = child == CHILDID_SELF ? nullptr : list_.GetNodeAt(RowOf(child), nullptr);
    if (!node)
        return std::wstring();
    if (node->IsCatalog())
        return node->expanded ? kCollapseAction : kExpandAction;
    return node->GetLink().empty() ? std::wstring() : kPlayAction;
}

bool CChannelTreeAccessible::DoDefaultAction(long child) {
    const int row = RowOf(child);
    CChannelTreeNode* node = child == CHILDID_SELF ? nullptr : list_.GetNodeAt(row, nullptr);
    if (!node)
        return false;
    // As Right or Left on a catalog and Enter on a channel.
    if (node->IsCatalog()) {
        list_.ExpandCatalogAt(row, !node->expanded);
        return true;
    }
    if (node->GetLink().empty())
        return false;
    list_.OpenRow(row);  // may reload this very list: nothing after it
    return true;
}

bool CChannelTreeAccessible::Select(long child, long flags) {
    // One row is selected and has the focus at a time: no adding, removing or extending.
    if (flags == 0 || (flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) != 0)
        return false;
    if (flags & SELFLAG_TAKEFOCUS)
        ::SetFocus(list_.m_hWnd);
    if (child != CHILDID_SELF)
        list_.SelectRow(RowOf(child));
    return true;
}

long CChannelTreeAccessible::HitTest(POINT screen) {
    POINT point{};
    if (!ScreenToClientPoint(list_.m_hWnd, screen, point))
        return -1;
    const int row = list_.GetScrollPosition() + point.y / CChannelTreeCtrl::ROW_HEIGHT;
    return list_.GetNodeAt(row, nullptr) ? ChildOf(row) : CHILDID_SELF;
}

long CChannelTreeAccessible::FocusedChild() { return ChildOf(list_.SelectedRow()); }

long CChannelTreeAccessible::SelectedChild() { return ChildOf(list_.SelectedRow()); }

long CChannelTreeAccessible::NavigateFrom(long child, long direction) {
    if (child == CHILDID_SELF)
        return CHILDID_SELF;
    const int row = RowOf(child);
    switch (direction) {
    case NAVDIR_UP: return row > 0 ? ChildOf(row - 1) : CHILDID_SELF;
    case NAVDIR_DOWN: return row + 1 < list_.GetRowCount() ? ChildOf(row + 1) : CHILDID_SELF;
    case NAVDIR_LEFT: {
        // From a channel up to its catalog.
        if (!list_.IsChildRow(row))
            return CHILDID_SELF;
        return ChildOf(list_.Rows().RowOf(RowIdentity::Catalog(list_.Rows().IdentityAt(row).catalogId)));
    }
    case NAVDIR_RIGHT: {
        // From an expanded catalog down to its first channel.
        CChannelTreeNode* node = list_.GetNodeAt(row, nullptr);
        return node && node->IsCatalog() && node->expanded && list_.IsChildRow(row + 1) ? ChildOf(row + 1)
                                                                                        : CHILDID_SELF;
    }
    default: return CHILDID_SELF;
    }
}

void CChannelTreeAccessible::AnnounceSelection(int row) {
    if (!list_.m_hWnd || row < 0)
        return;
    ::NotifyWinEvent(EVENT_OBJECT_SELECTION, list_.m_hWnd, OBJID_CLIENT, ChildOf(row));
    if (Focused())
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, list_.m_hWnd, OBJID_CLIENT, ChildOf(row));
}

void CChannelTreeAccessible::AnnounceExpansion(int row) {
    if (!list_.m_hWnd || row < 0)
        return;
    ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list_.m_hWnd, OBJID_CLIENT, ChildOf(row));
    // The rows below the catalog moved.
    ::NotifyWinEvent(EVENT_OBJECT_REORDER, list_.m_hWnd, OBJID_CLIENT, CHILDID_SELF);
}

void CChannelTreeAccessible::AnnounceRowsReplaced() {
    if (list_.m_hWnd)
        ::NotifyWinEvent(EVENT_OBJECT_REORDER, list_.m_hWnd, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace UI
