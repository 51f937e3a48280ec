#include <gtest/gtest.h>

#include <vector>

#include "framework/win/tests/TestHost.h"
#include "player/shell/SystemTray.h"
#include "player/shell/resource.h"

namespace {

// Receives the tray's menu commands.
class CCommandTarget : public CWindowImpl {
public:
    std::vector<UINT> commands;

    CCommandTarget() { Create(nullptr, RECT{0, 0, 0, 0}, L"", WS_POPUP); }
    ~CCommandTarget() override {
        if (m_hWnd)
            DestroyWindow();
    }

    BEGIN_MSG_MAP(CCommandTarget)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

protected:
    WindowClassSpec GetWindowClassSpec() const override {
        WindowClassSpec windowClass;
        windowClass.name = L"TrovaTrayTestTarget";
        return windowClass;
    }

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

TEST_F(SystemTray, NotificationAreaIsSomewhereOnScreen) {
    const RECT area = CSystemTray::NotificationAreaRect();
    EXPECT_LT(area.left, area.right);
    EXPECT_LT(area.top, area.bottom);
}

}  // namespace
