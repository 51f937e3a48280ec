#include "player/shell/SkinnedFrameAccessible.h"

#include "player/shell/SkinnedFrame.h"

#include <iterator>

namespace {
// Child ids 1, 2, 3 in the order the system's title bar lists its buttons.
const UINT kButtons[] = {HTMINBUTTON, HTMAXBUTTON, HTCLOSE};
const wchar_t kPressAction[] = L"按下";

UINT ButtonOf(long child) { return kButtons[child - 1]; }
}  // namespace

bool CSkinnedFrameAccessible::Serves() {
    RECT caption{};
    return frame_.CaptionPlace(HTCAPTION, caption);
}

long CSkinnedFrameAccessible::ChildCount() { return static_cast<long>(std::size(kButtons)); }

long CSkinnedFrameAccessible::Role(long child) {
    return child == CHILDID_SELF ? ROLE_SYSTEM_TITLEBAR : ROLE_SYSTEM_PUSHBUTTON;
}

std::wstring CSkinnedFrameAccessible::Name(long child) {
    if (child == CHILDID_SELF)
        return frame_.GetWindowText();
    switch (ButtonOf(child)) {
    case HTMINBUTTON: return L"最小化";
    case HTMAXBUTTON: return ::IsZoomed(frame_) ? L"还原" : L"最大化";
    default: return L"关闭";
    }
}

long CSkinnedFrameAccessible::State(long child) {
    long state = frame_.IsWindowVisible() ? 0 : STATE_SYSTEM_INVISIBLE;
    if (child != CHILDID_SELF && frame_.PressedButton() == ButtonOf(child))
        state |= STATE_SYSTEM_PRESSED;
    return state;
}

bool CSkinnedFrameAccessible::Location(long child, RECT& screen) {
    return frame_.CaptionPlace(child == CHILDID_SELF ? HTCAPTION : ButtonOf(child), screen);
}

const wchar_t* CSkinnedFrameAccessible::ClickAction() const { return kPressAction; }

void CSkinnedFrameAccessible::Click(long child) { frame_.PressCaptionButton(ButtonOf(child)); }

long CSkinnedFrameAccessible::HitTest(POINT screen) {
    RECT place{};
    for (long child = 1; child <= ChildCount(); ++child)
        if (frame_.CaptionPlace(ButtonOf(child), place) && ::PtInRect(&place, screen))
            return child;
    return frame_.CaptionPlace(HTCAPTION, place) && ::PtInRect(&place, screen) ? CHILDID_SELF : -1;
}
