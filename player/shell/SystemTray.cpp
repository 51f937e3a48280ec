#include "player/shell/SystemTray.h"

#include "framework/win/Module.h"
#include "framework/win/ScopedHandle.h"

static_assert(sizeof(NOTIFYICONDATAW) == (sizeof(void*) == 8 ? 968 : 952), "the icon record is used in its full size");

namespace {

// Invisible owner of windows hidden to the tray, so that they leave the taskbar.
class CParkingWindow final : public CWindowImpl {
public:
    // Kept for the life of the process: the window goes with the object at exit.
    ~CParkingWindow() override {
        if (m_hWnd)
            DestroyWindow();
    }

    BEGIN_MSG_MAP(CParkingWindow)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override { return WindowClassSpec{L"TrovaTrayParking", 0}; }
};

CParkingWindow& Parking() {
    static CParkingWindow parking;
    return parking;
}

}  // namespace

CSystemTray::CSystemTray() : icon_{} { icon_.cbSize = sizeof(icon_); }

WindowClassSpec CSystemTray::GetWindowClassSpec() const { return WindowClassSpec{L"TrovaTrayIconWindow", 0}; }

UINT CSystemTray::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

bool CSystemTray::AnimationOn() {
    ANIMATIONINFO info{};
    info.cbSize = sizeof(info);
    return ::SystemParametersInfoW(SPI_GETANIMATION, sizeof(info), &info, 0) && info.iMinAnimate != 0;
}

bool CSystemTray::Create(HWND target, HICON icon, const std::wstring& tip) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    supported_ = ::GetVersionExW(&version) && version.dwMajorVersion >= 4;
    if (!supported_)
        return false;
    const RECT none{0, 0, 0, 0};
    if (!m_hWnd && !CWindowImpl::Create(nullptr, none, L"", WS_POPUP))
        return false;
    target_ = target;

    icon_.hWnd = m_hWnd;
    icon_.uID = kIconId;
    icon_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon_.uCallbackMessage = kCallbackMessage;
    icon_.hIcon = icon;
    lstrcpynW(icon_.szTip, tip.c_str(), ARRAYSIZE(icon_.szTip));
    savedFlags_ = icon_.uFlags;
    const bool added = ::Shell_NotifyIconW(NIM_ADD, &icon_) != FALSE;
    hidden_ = removed_ = !added;
    return added;
}

void CSystemTray::RemoveIcon() {
    if (!supported_ || removed_ || !icon_.hWnd)
        return;
    icon_.uFlags = 0;
    if (::Shell_NotifyIconW(NIM_DELETE, &icon_)) {
        hidden_ = true;
        removed_ = true;
    }
}

HWND CSystemTray::Target() const { return target_ ? target_ : ::GetAncestor(m_hWnd, GA_ROOTOWNER); }

LRESULT CSystemTray::OnTrayNotification(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (wParam != icon_.uID)
        return 0;
    HWND target = Target();
    if (LOWORD(lParam) == WM_RBUTTONUP) {
        ScopedMenu menu(::LoadMenuW(ThisModule(), MAKEINTRESOURCEW(kIconId)));
        if (!menu)
            return 0;
        HMENU popup = ::GetSubMenu(menu, 0);
        if (popup) {
            ::SetMenuDefaultItem(popup, defaultItem_, TRUE);
            POINT cursor{};
            ::GetCursorPos(&cursor);
            ::SetForegroundWindow(target);
            ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, target, nullptr);
            ::PostMessageW(target, WM_NULL, 0, 0);
        }
    } else if (LOWORD(lParam) == WM_LBUTTONDBLCLK) {
        ::SetForegroundWindow(target);
        UINT command = 0;
        if (ScopedMenu menu{::LoadMenuW(ThisModule(), MAKEINTRESOURCEW(kIconId))}) {
            if (HMENU popup = ::GetSubMenu(menu, 0))
                command = ::GetMenuItemID(popup, static_cast<int>(defaultItem_));
        }
        if (command != 0 && command != static_cast<UINT>(-1))
            ::PostMessageW(target, WM_COMMAND, command, 0);
    }
    return 0;
}

void CSystemTray::AddIconAgain() {
    // Only an icon taken away on purpose stays away: one that a shell still being re-created
    // would not take is offered again on the next notice.
    if (removed_)
        return;
    icon_.uFlags = savedFlags_;
    // After a work-area change the icon is normally still there: adding it fails, but it shows.
    hidden_ = !::Shell_NotifyIconW(NIM_ADD, &icon_) && !::Shell_NotifyIconW(NIM_MODIFY, &icon_);
}

LRESULT CSystemTray::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&) {
    AddIconAgain();
    return 0;
}

LRESULT CSystemTray::OnSettingChange(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
    const LRESULT result = DefWindowProc(message, wParam, lParam);
    if (wParam == SPI_SETWORKAREA)
        AddIconAgain();
    return result;
}

RECT CSystemTray::NotificationAreaRect() {
    RECT rect{};
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        ::GetWindowRect(taskbar, &rect);
        for (HWND child = ::GetWindow(taskbar, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[64] = {};
            ::GetClassNameW(child, name, 64);
            if (lstrcmpW(name, L"TrayNotifyWnd") == 0) {
                ::GetWindowRect(child, &rect);
            } else if (lstrcmpW(name, L"TrayClockWClass") == 0) {
                RECT clock{};
                ::GetWindowRect(child, &clock);
                if (clock.bottom < rect.bottom - 5)
                    rect.top = clock.bottom;
                else
                    rect.right = clock.left;
                break;
            }
        }
        // A taskbar window without a size (a hidden one) says nothing about the tray.
        if (!::IsRectEmpty(&rect))
            return rect;
    }
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
        const RECT& t = bar.rc;
        if (bar.uEdge == ABE_LEFT || bar.uEdge == ABE_RIGHT)
            return RECT{t.left, t.bottom - 100, t.right, t.bottom - 16};
        return RECT{t.right - 100, t.top, t.right - 16, t.bottom};
    }
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return RECT{work.right - 150, work.bottom - 30, work.right, work.bottom};
}

HWND CSystemTray::ParkingWindow() { return Parking().m_hWnd; }

void CSystemTray::HideToTray(HWND window) {
    if (AnimationOn()) {
        RECT from{}, to = NotificationAreaRect();
        ::GetWindowRect(window, &from);
        ::DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
    }
    CParkingWindow& parking = Parking();
    if (!parking.m_hWnd) {
        const RECT none{0, 0, 0, 0};
        parking.Create(nullptr, none, L"", WS_POPUP);
    }
    if (parking.m_hWnd)
        ::SetParent(window, parking.m_hWnd);
    ::SetWindowLongW(window, GWL_STYLE, ::GetWindowLongW(window, GWL_STYLE) & ~WS_VISIBLE);
}

void CSystemTray::RestoreFromTray(HWND window) {
    if (AnimationOn()) {
        RECT to{}, from = NotificationAreaRect();
        ::GetWindowRect(window, &to);
        ::SetParent(window, nullptr);
        ::DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
    } else {
        ::SetParent(window, nullptr);
    }
    ::SetWindowLongW(window, GWL_STYLE, ::GetWindowLongW(window, GWL_STYLE) | WS_VISIBLE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (HWND parking = Parking().m_hWnd)
        ::SetActiveWindow(parking);
    ::SetActiveWindow(window);
    ::SetForegroundWindow(window);
}
