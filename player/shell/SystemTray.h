#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/win/MessageMap.h"

// The player's icon in the taskbar notification area, its menu, and the moves that hide a
// window to the tray and bring it back.
class CSystemTray : public CWindowImpl {
public:
    static constexpr UINT kIconId = 138;             // also the tray menu resource
    static constexpr UINT kCallbackMessage = WM_APP + 10;

    CSystemTray();

    // Adds the icon; menu commands go to `target` (null: the process's main window, see
    // SetMainWindow). False when the system has no tray or the icon could not be added.
    bool Create(HWND target, HICON icon, const std::wstring& tip);
    // Takes the icon out of the notification area (at most once).
    void RemoveIcon();

    bool IsIconHidden() const { return hidden_; }
    bool IsIconRemoved() const { return removed_; }

    // Hides a top-level window to the tray: it leaves the taskbar and the screen.
    static void HideToTray(HWND window);
    // Brings a window hidden by HideToTray back, activated and in the foreground.
    static void RestoreFromTray(HWND window);
    // Where the notification area is on screen.
    static RECT NotificationAreaRect();
    // The hidden window that hidden windows are parked under; null until the first hide.
    static HWND ParkingWindow();

    BEGIN_MSG_MAP(CSystemTray)
        MESSAGE_HANDLER(kCallbackMessage, OnTrayNotification)
        MESSAGE_HANDLER(TaskbarCreatedMessage(), OnTaskbarCreated)
        MESSAGE_HANDLER(WM_SETTINGCHANGE, OnSettingChange)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override;

private:
    static UINT TaskbarCreatedMessage();
    static bool AnimationOn();

    LRESULT OnTrayNotification(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSettingChange(UINT message, WPARAM wParam, LPARAM lParam, BOOL&);
    void AddIconAgain();
    HWND Target() const;

    NOTIFYICONDATAW icon_;
    bool supported_ = true;
    bool hidden_ = true;   // not in the notification area
    bool removed_ = true;  // taken away on purpose, or never added
    HWND target_ = nullptr;
    UINT defaultItem_ = 0;
    UINT savedFlags_ = 0;
};
