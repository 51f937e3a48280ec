#include "channellist/ui/WidgetAccessible.h"

#include "channellist/ui/ChannelHeaderCtrl.h"
#include "channellist/ui/SearchEditLayout.h"
#include "channellist/ui/SearchPanel.h"

namespace {
const wchar_t kOpenAction[] = L"打开";
const wchar_t kPressAction[] = L"按下";
const wchar_t kSearchName[] = L"搜索频道";
const wchar_t kClearName[] = L"清除";

long VisibilityState(HWND window) { return ::IsWindowVisible(window) ? 0 : STATE_SYSTEM_INVISIBLE; }
}  // namespace

namespace UI {

// ---- section header

std::wstring CChannelHeaderAccessible::Name(long) { return header_.DisplayText(); }

long CChannelHeaderAccessible::State(long) {
    return VisibilityState(header_.m_hWnd) | (header_.IsPressed() ? STATE_SYSTEM_PRESSED : 0);
}

bool CChannelHeaderAccessible::Location(long, RECT& screen) {
    screen = header_.GetWindowRect();
    return true;
}

std::wstring CChannelHeaderAccessible::DefaultAction(long) { return kOpenAction; }

bool CChannelHeaderAccessible::DoDefaultAction(long) {
    header_.Click();
    return true;
}

long CChannelHeaderAccessible::HitTest(POINT screen) {
    const RECT window = header_.GetWindowRect();
    return ::PtInRect(&window, screen) ? CHILDID_SELF : -1;
}

void CChannelHeaderAccessible::AnnounceName() {
    if (header_.m_hWnd)
        ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, header_.m_hWnd, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace UI

// ---- search field

bool CSearchEditAccessible::ClearButtonShown() const { return !edit_.ShowingCue() && !edit_.GetWindowText().empty(); }

long CSearchEditAccessible::Role(long child) {
    return child == kClearButton ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_TEXT;
}

std::wstring CSearchEditAccessible::Name(long child) { return child == kClearButton ? kClearName : kSearchName; }

std::wstring CSearchEditAccessible::Value(long child) {
    // The cue text stands in the window while the field is empty; it is no value.
    if (child == kClearButton || edit_.ShowingCue())
        return std::wstring();
    return edit_.GetWindowText();
}

long CSearchEditAccessible::State(long child) {
    const long visibility = VisibilityState(edit_.m_hWnd);
    if (child == kClearButton)
        return visibility | (ClearButtonShown() ? 0 : STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE);
    return visibility | STATE_SYSTEM_FOCUSABLE | (::GetFocus() == edit_.m_hWnd ? STATE_SYSTEM_FOCUSED : 0);
}

bool CSearchEditAccessible::Location(long child, RECT& screen) {
    const RECT client = edit_.GetClientRect();
    screen = ClientToScreenRect(edit_.m_hWnd, child == kClearButton ? UI::SearchButtonRect(client) : client);
    return true;
}

std::wstring CSearchEditAccessible::DefaultAction(long child) {
    return child == kClearButton && ClearButtonShown() ? kPressAction : std::wstring();
}

bool CSearchEditAccessible::DoDefaultAction(long child) {
    if (child != kClearButton || !ClearButtonShown())
        return false;
    edit_.ClearKeyword();
    return true;
}

bool CSearchEditAccessible::Select(long child, long flags) {
    if (child != CHILDID_SELF || flags != SELFLAG_TAKEFOCUS)
        return false;
    ::SetFocus(edit_.m_hWnd);
    return true;
}

long CSearchEditAccessible::HitTest(POINT screen) {
    POINT point{};
    if (!ScreenToClientPoint(edit_.m_hWnd, screen, point))
        return -1;
    const RECT button = UI::SearchButtonRect(edit_.GetClientRect());
    return ClearButtonShown() && ::PtInRect(&button, point) ? kClearButton : CHILDID_SELF;
}
