#include "player/panels/NaviPanelAccessible.h"

#include "player/panels/NaviPanel.h"

namespace {
const wchar_t kSwitchAction[] = L"切换";

size_t IndexOf(long child) { return static_cast<size_t>(child - 1); }
long ChildOf(size_t index) { return static_cast<long>(index) + 1; }
}  // namespace

long CNaviPanelAccessible::ChildCount() { return static_cast<long>(strip_.Items().size()); }

long CNaviPanelAccessible::Role(long child) {
    return child == CHILDID_SELF ? ROLE_SYSTEM_PAGETABLIST : ROLE_SYSTEM_PAGETAB;
}

std::wstring CNaviPanelAccessible::Name(long child) {
    return child == CHILDID_SELF ? std::wstring() : strip_.Items()[IndexOf(child)].text;
}

long CNaviPanelAccessible::State(long child) {
    const long visibility = strip_.IsWindowVisible() ? 0 : STATE_SYSTEM_INVISIBLE;
    if (child == CHILDID_SELF)
        return visibility;
    const CNaviPanel::Item& item = strip_.Items()[IndexOf(child)];
    return visibility | STATE_SYSTEM_SELECTABLE | (item.selected ? STATE_SYSTEM_SELECTED : 0) |
           (item.hover ? STATE_SYSTEM_HOTTRACKED : 0);
}

bool CNaviPanelAccessible::Location(long child, RECT& screen) {
    screen = ClientToScreenRect(strip_,
                                child == CHILDID_SELF ? strip_.GetClientRect() : strip_.Items()[IndexOf(child)].rect);
    return true;
}

const wchar_t* CNaviPanelAccessible::ClickAction() const { return kSwitchAction; }

void CNaviPanelAccessible::Click(long child) { strip_.ChooseItem(IndexOf(child)); }

bool CNaviPanelAccessible::Select(long child, long flags) {
    // The strip takes no keyboard focus; selecting a tab is choosing it.
    if (child == CHILDID_SELF || flags != SELFLAG_TAKESELECTION)
        return false;
    strip_.ChooseItem(IndexOf(child));
    return true;
}

long CNaviPanelAccessible::HitTest(POINT screen) {
    POINT point{};
    if (!ScreenToClientPoint(strip_, screen, point))
        return -1;
    const auto& items = strip_.Items();
    for (size_t index = 0; index < items.size(); ++index)
        if (::PtInRect(&items[index].rect, point))
            return ChildOf(index);
    return CHILDID_SELF;
}

long CNaviPanelAccessible::SelectedChild() {
    const auto& items = strip_.Items();
    for (size_t index = 0; index < items.size(); ++index)
        if (items[index].selected)
            return ChildOf(index);
    return CHILDID_SELF;
}

void CNaviPanelAccessible::AnnounceSelection(size_t index) {
    if (strip_.m_hWnd)
        ::NotifyWinEvent(EVENT_OBJECT_SELECTION, strip_.m_hWnd, OBJID_CLIENT, ChildOf(index));
}
