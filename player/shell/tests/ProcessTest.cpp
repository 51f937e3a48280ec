// Two player processes: the shipped TrovaPlayer6.exe started as the first player, then second
// starts handing over a link or an activation, then the quit message. The video player
// control substitute traces its calls to TROVAPLAYER_LOG, which shows what the first player
// was asked to play.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "player/shell/RemoteCmd.h"
#include "player/shell/tests/PlayerProcess.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

// The first player, started minimised for the whole suite.
class TwoPlayers : public CSuitePlayerTest {
protected:
    // Runs a second player with `arguments` and waits for it to end.
    void RunSecond(const std::wstring& arguments) {
        CPlayerProcess second;
        ASSERT_TRUE(second.Start(arguments));
        EXPECT_TRUE(second.WaitForExit(kStartTimeoutMs)) << "the second player did not end";
        EXPECT_FALSE(FrameOf(second.Id()));
    }
};

TEST_F(TwoPlayers, StartMinimisedLeavesTheFrameHiddenWithTheTrayIcon) {
    HWND frame = FrameOf(player_->Id());
    ASSERT_TRUE(frame);
    EXPECT_FALSE(::IsWindowVisible(frame));
    // The tray icon's window is the tray object's own hidden window, made last at creation.
    HWND trayWindow = nullptr;
    WaitUntil([&] { return (trayWindow = TrayWindowOf(player_->Id())) != nullptr; }, 5000);
    EXPECT_TRUE(trayWindow);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = trayWindow;
    icon.uID = 138;
    icon.uFlags = NIF_TIP;
    lstrcpyW(icon.szTip, L"Vantel");
    // Modifying succeeds only for an icon the notification area holds.
    EXPECT_TRUE(::Shell_NotifyIconW(NIM_MODIFY, &icon));
}

TEST_F(TwoPlayers, SecondStartWithALinkHandsItToTheFirstAndEnds) {
    RunSecond(L"-TROVA trova://global:8081/abc");
    RunSecond(L"-trova trova://global:9000/def");
    const std::string log = ReadLog(logPath_);
    EXPECT_NE(std::string::npos, log.find("method 1 play \"trova://global/abc\"")) << log;
    EXPECT_NE(std::string::npos, log.find("method 1 play \"trova://global:9000/def\"")) << log;
}

TEST_F(TwoPlayers, SecondStartWithoutArgumentsShowsTheFirst) {
    HWND frame = FrameOf(player_->Id());
    ASSERT_TRUE(frame);
    if (::IsWindowVisible(frame))  // the link hand-off above shows it as well
        ::ShowWindow(frame, SW_MINIMIZE);
    RunSecond(L"");
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(frame) && !::IsIconic(frame); }, 5000));
}

TEST_F(TwoPlayers, QuitMessageEndsTheFirstWithoutAsking) {
    HWND singleton = FindRunningPlayer();
    ASSERT_TRUE(singleton);
    EXPECT_EQ(0, ::SendMessageW(singleton, WM_PLAYER_QUIT, 0, 0));
    EXPECT_TRUE(player_->WaitForExit(kExitTimeoutMs));
    EXPECT_FALSE(FindRunningPlayer());
}

}  // namespace
