#pragma once
// Real player processes from the shipped folder, for tests that drive TrovaPlayer6.exe from
// outside: starting and ending them, finding their windows, waiting and reading the video
// player control substitute's trace (TROVAPLAYER_LOG).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/win/tests/ChildProcess.h"

// How long a player may take to show its single-instance window, and to end.
constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 30000;

// One player process.
class CPlayerProcess : public CChildProcess {
public:
    // Starts TrovaPlayer6.exe of the shipped folder (also its working folder) with the
    // arguments; it inherits this process's environment.
    bool Start(const std::wstring& arguments);
    // Starts it and waits until a player's single-instance window is there.
    bool StartAndWait(const std::wstring& arguments, DWORD timeoutMs);
    // Asks the running player to quit (its quit message) and waits for this process to end.
    bool Quit(DWORD timeoutMs);
    // Waits while pumping this thread's messages: the player sends to windows of the test.
    bool WaitForExit(DWORD timeoutMs) const;
};

// A trace file for the players a test starts, in the temp folder and named for this process
// (`name` is its prefix): every player started from here gets it (TROVAPLAYER_LOG) and an
// update check that finds the version current. Returns its path.
std::wstring BeginPlayerTrace(const wchar_t* name);
// Deletes the trace and takes back what BeginPlayerTrace handed to the players.
void EndPlayerTrace(const std::wstring& path);

// True when the video player control is registered (scripts/register.sh).
bool PlayerControlRegistered();

// Tests that start players of the shipped folder: skipped where it, or the registered video
// player control, is missing.
class CPlayerProcessTest : public ::testing::Test {
protected:
    static bool CanStartPlayers();
    void SetUp() override;
};

// A suite sharing one player, started minimised before its first test with a trace that the
// suite's other players inherit too, and asked to quit after its last test. It starts none
// while another player runs.
class CSuitePlayerTest : public CPlayerProcessTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // Fails the test unless the suite's player runs.
    void SetUp() override;

    static CPlayerProcess* player_;
    static std::wstring logPath_;
};

// The main frame of a process: a top-level window, or parked under the tray's hidden window.
HWND FrameOf(DWORD processId);

// The tray icon's hidden window of a process, made last when the frame is created.
HWND TrayWindowOf(DWORD processId);

// A visible top-level window of the process with that class and title (a dialog or message
// box), or null.
HWND TopLevelWindowOf(DWORD processId, const wchar_t* className, const wchar_t* title);

// Dispatches the messages waiting for this thread, sent ones included.
void PumpMessages();

// Polls `done` every 50 ms until it holds or the time is over, pumping this thread's messages
// meanwhile so that a player sending to a window of the test is never blocked by the wait.
template <class Predicate>
bool WaitUntil(Predicate done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

// The whole file, shared with a writer; empty when it does not exist.
std::string ReadLog(const std::wstring& path);
