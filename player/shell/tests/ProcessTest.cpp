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

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 30000;

// The first player, started minimised for the whole suite.
class TwoPlayers : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        logPath_ = BeginPlayerTrace(L"trova-player-log-");
        if (DistFolder().empty() || FindRunningPlayer() || !PlayerControlRegistered())
            return;
        first_ = new CPlayerProcess;
        if (!first_->StartAndWait(L"-StartMin", kStartTimeoutMs))
            return;
        // Creation ends with the tray icon.
        WaitUntil([] { return TrayWindowOf(first_->Id()) != nullptr; }, 10000);
    }
    static void TearDownTestSuite() {
        if (first_) {
            first_->Quit(kExitTimeoutMs);
            delete first_;  // ends it by force if the quit message did not
            first_ = nullptr;
        }
        EndPlayerTrace(logPath_);
    }

    void SetUp() override {
        if (DistFolder().empty())
            GTEST_SKIP() << "TROVA_DIST_DIR is not set";
        if (!PlayerControlRegistered())
            GTEST_SKIP() << "the player control is not registered (scripts/register.sh)";
        ASSERT_TRUE(first_) << "a player was running already";
        ASSERT_TRUE(FindRunningPlayer()) << "the first player did not start";
    }

    // Runs a second player with `arguments` and waits for it to end.
    void RunSecond(const std::wstring& arguments) {
        CPlayerProcess second;
        ASSERT_TRUE(second.Start(arguments));
        EXPECT_TRUE(second.WaitForExit(kStartTimeoutMs)) << "the second player did not end";
        EXPECT_FALSE(FrameOf(second.Id()));
    }

    static CPlayerProcess* first_;
    static std::wstring logPath_;
};
CPlayerProcess* TwoPlayers::first_ = nullptr;
std::wstring TwoPlayers::logPath_;

TEST_F(TwoPlayers, StartMinimisedLeavesTheFrameHiddenWithTheTrayIcon) {
    HWND frame = FrameOf(first_->Id());
    ASSERT_TRUE(frame);
    EXPECT_FALSE(::IsWindowVisible(frame));
    // The tray icon's window is the tray object's own hidden window, made last at creation.
    HWND trayWindow = nullptr;
    WaitUntil([&] { return (trayWindow = TrayWindowOf(first_->Id())) != nullptr; }, 5000);
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
    HWND frame = FrameOf(first_->Id());
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
    EXPECT_TRUE(first_->WaitForExit(kExitTimeoutMs));
    EXPECT_FALSE(FindRunningPlayer());
}

}  // namespace
