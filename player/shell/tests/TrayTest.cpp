#include <gtest/gtest.h>

#include <vector>

#include "framework/win/tests/TestHost.h"
#include "player/shell/SystemTray.h"
#include "player/shell/resource.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

// Receives the tray's menu commands.
class CCommandTarget : public CHiddenTestWindow {
public:
    std::vector<UINT> commands;

    CCommandTarget() : CHiddenTestWindow(L"TrovaTrayTestTarget") {}

    BEGIN_MSG_MAP(CCommandTarget)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

private:
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL&) {
        commands.push_back(LOWORD(wParam));
        return 0;
    }
};

class SystemTray : public ::testing::Test {
protected:
    ~SystemTray() override {
        tray_.RemoveIcon();
        if (tray_.m_hWnd)
            tray_.DestroyWindow();
    }
    void Notify(WPARAM id, UINT mouse) {
        tray_.SendMessage(CSystemTray::kCallbackMessage, id, mouse);
        PumpMessages();
    }

    CCommandTarget target_;
    CSystemTray tray_;
};

TEST_F(SystemTray, IconIsAddedOnceAndRemovedOnce) {
    const bool added = tray_.Create(target_, ::LoadIconW(nullptr, IDI_APPLICATION), L"Vantel");
    ASSERT_TRUE(tray_.m_hWnd);
    EXPECT_FALSE(tray_.IsWindowVisible());
    EXPECT_EQ(!added, tray_.IsIconHidden());
    EXPECT_EQ(!added, tray_.IsIconRemoved());
    if (!added)
        GTEST_SKIP() << "no notification area on this display";
    tray_.RemoveIcon();
    EXPECT_TRUE(tray_.IsIconRemoved());
    EXPECT_TRUE(tray_.IsIconHidden());
    tray_.RemoveIcon();
    EXPECT_TRUE(tray_.IsIconRemoved());
    // A restarted shell does not bring back an icon that was taken away.
    tray_.SendMessage(::RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_TRUE(tray_.IsIconHidden());
}

// Whether the notification area holds the icon of this window and id: only then can it be changed.
bool IconShows(HWND window) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = CSystemTray::kIconId;
    icon.uFlags = NIF_TIP;
    lstrcpyW(icon.szTip, L"Vantel");
    return ::Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

// A work-area change finds the icon still there; a shell restart after it must bring it back.
TEST_F(SystemTray, IconComesBackAfterAShellRestartThatFollowsAWorkAreaChange) {
    if (!tray_.Create(target_, ::LoadIconW(nullptr, IDI_APPLICATION), L"Vantel"))
        GTEST_SKIP() << "no notification area on this display";
    tray_.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(tray_.IsIconHidden());
    EXPECT_TRUE(IconShows(tray_));

    // The restarted shell knows no icons.
    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof(gone);
    gone.hWnd = tray_;
    gone.uID = CSystemTray::kIconId;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &gone));
    ASSERT_FALSE(IconShows(tray_));
    tray_.SendMessage(::RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_FALSE(tray_.IsIconHidden());
    EXPECT_TRUE(IconShows(tray_));
}

// A shell still being re-created takes no icon (adding and changing it both fail); the icon is
// offered again when the shell is ready.
TEST_F(SystemTray, IconComesBackAfterAShellRestartThatDidNotTakeItAtFirst) {
    if (!tray_.Create(target_, ::LoadIconW(nullptr, IDI_APPLICATION), L"Vantel"))
        GTEST_SKIP() << "no notification area on this display";
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof(gone);
    gone.hWnd = tray_;
    gone.uID = CSystemTray::kIconId;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &gone));
    {
        std::vector<DWORD> requests;
        CFakeShellTray starting([&](DWORD request) {
            requests.push_back(request);
            return false;
        });
        ASSERT_EQ(starting.Window(), ::FindWindowW(L"Shell_TrayWnd", nullptr));
        tray_.SendMessage(taskbarCreated);
        EXPECT_EQ((std::vector<DWORD>{NIM_ADD, NIM_MODIFY}), requests);
        EXPECT_TRUE(tray_.IsIconHidden());
    }
    tray_.SendMessage(taskbarCreated);
    EXPECT_FALSE(tray_.IsIconHidden());
    EXPECT_TRUE(IconShows(tray_));
}

TEST_F(SystemTray, DoubleClickSendsTheDefaultCommandAndOtherIconsAreIgnored) {
    tray_.Create(target_, ::LoadIconW(nullptr, IDI_APPLICATION), L"Vantel");
    ASSERT_TRUE(tray_.m_hWnd);
    Notify(CSystemTray::kIconId, WM_LBUTTONDBLCLK);
    EXPECT_EQ(std::vector<UINT>{ID_TRAY_SHOWHIDE}, target_.commands);
    Notify(CSystemTray::kIconId + 1, WM_LBUTTONDBLCLK);
    Notify(CSystemTray::kIconId, WM_LBUTTONDOWN);
    Notify(CSystemTray::kIconId, WM_MOUSEMOVE);
    EXPECT_EQ(1u, target_.commands.size());
}

TEST_F(SystemTray, TrayMenuHasTheCommandsInOrder) {
    HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(CSystemTray::kIconId));
    ASSERT_TRUE(menu);
    HMENU popup = ::GetSubMenu(menu, 0);
    const UINT ids[] = {ID_TRAY_SHOWHIDE, 0, ID_TRAY_HOME, ID_TRAY_BBS, 0, ID_APP_EXIT};
    const wchar_t* texts[] = {L"Show/Hide", L"", L"Vantel Home", L"Vantel BBS", L"", L"E&xit"};
    ASSERT_EQ(6, ::GetMenuItemCount(popup));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ids[i], ::GetMenuItemID(popup, i));
        wchar_t text[32] = {};
        ::GetMenuStringW(popup, i, text, 32, MF_BYPOSITION);
        EXPECT_STREQ(texts[i], text);
    }
    ::DestroyMenu(menu);
}

// A stand-in taskbar of this process: "Shell_TrayWnd" with the notification area and the
// clock as children, where the rules look for them.
class CFakeTaskbar {
public:
    CFakeTaskbar(const RECT& bar, const RECT& notify, const RECT& clock) {
        for (const wchar_t* name : {L"Shell_TrayWnd", L"TrayNotifyWnd", L"TrayClockWClass"}) {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = ::DefWindowProcW;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = name;
            ::RegisterClassW(&windowClass);
        }
        bar_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, bar.left, bar.top,
                                 bar.right - bar.left, bar.bottom - bar.top, nullptr, nullptr, nullptr, nullptr);
        HWND clockWindow = Child(L"TrayClockWClass", clock, bar);
        HWND notifyWindow = Child(L"TrayNotifyWnd", notify, bar);
        // The walk meets the notification area first, then the clock.
        ::SetWindowPos(notifyWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowPos(clockWindow, notifyWindow, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ~CFakeTaskbar() {
        ::DestroyWindow(bar_);
        for (const wchar_t* name : {L"Shell_TrayWnd", L"TrayNotifyWnd", L"TrayClockWClass"})
            ::UnregisterClassW(name, ::GetModuleHandleW(nullptr));
    }
    HWND Bar() const { return bar_; }

private:
    HWND Child(const wchar_t* name, const RECT& screen, const RECT& bar) {
        return ::CreateWindowW(name, L"", WS_CHILD, screen.left - bar.left, screen.top - bar.top,
                               screen.right - screen.left, screen.bottom - screen.top, bar_, nullptr, nullptr, nullptr);
    }
    HWND bar_ = nullptr;
};

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST_F(SystemTray, NotificationAreaIsTheTaskbarsNotifyAreaWithoutItsClock) {
    {
        // Along the bottom edge: the clock sits at the right end of the area and is cut off.
        CFakeTaskbar taskbar(RECT{0, 560, 800, 600}, RECT{600, 562, 790, 598}, RECT{740, 562, 790, 598});
        ASSERT_EQ(taskbar.Bar(), ::FindWindowW(L"Shell_TrayWnd", nullptr));
        ExpectRect(RECT{600, 562, 740, 598}, CSystemTray::NotificationAreaRect());
    }
    {
        // Along the right edge: the clock sits at the top of the area, well above its bottom.
        CFakeTaskbar taskbar(RECT{740, 0, 800, 600}, RECT{742, 400, 798, 598}, RECT{742, 400, 798, 430});
        ASSERT_EQ(taskbar.Bar(), ::FindWindowW(L"Shell_TrayWnd", nullptr));
        ExpectRect(RECT{742, 430, 798, 598}, CSystemTray::NotificationAreaRect());
    }
}

}  // namespace
