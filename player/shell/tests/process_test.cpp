// Two player processes: the shipped TrovaPlayer6.exe started as the first player, then second
// starts handing over a link or an activation, then the quit message. The video player
// control substitute traces its calls to TROVAPLAYER_LOG, which shows what the first player
// was asked to play.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "player/shell/RemoteCmd.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 30000;

// One player process; ended by force if it is still running when the object goes.
class CPlayerProcess {
public:
    CPlayerProcess() : info_{} {}
    ~CPlayerProcess() { Kill(); }
    CPlayerProcess(const CPlayerProcess&) = delete;
    CPlayerProcess& operator=(const CPlayerProcess&) = delete;

    bool Start(const std::wstring& arguments) {
        const std::wstring folder = DistFolder();
        std::wstring command = L"\"" + folder + L"\\TrovaPlayer6.exe\"";
        if (!arguments.empty())
            command += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        return ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                                &info_) != FALSE;
    }
    bool WaitForExit(DWORD timeoutMs) const {
        return info_.hProcess && ::WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }
    DWORD Id() const { return info_.dwProcessId; }
    void Kill() {
        if (!info_.hProcess)
            return;
        if (!WaitForExit(0)) {
            ::TerminateProcess(info_.hProcess, 1);
            WaitForExit(5000);
        }
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
        info_ = PROCESS_INFORMATION{};
    }

private:
    PROCESS_INFORMATION info_;
};

bool PlayerControlRegistered() {
    HKEY key = nullptr;
    const std::wstring path = L"CLSID\\{CC832E1D-5787-4677-808E-1C8EC3FC8D9D}\\InprocServer32";
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

struct FrameSearch {
    DWORD processId;
    HWND frame;
};

BOOL CALLBACK FindFrameOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<FrameSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (owner == search->processId && lstrcmpW(name, L"TrovaPlayer6Frame") == 0) {
        search->frame = window;
        return FALSE;
    }
    return TRUE;
}

// The main frame of a process: a top-level window, or parked under the tray's hidden window.
HWND FrameOf(DWORD processId) {
    FrameSearch search{processId, nullptr};
    ::EnumWindows(&FindFrameOf, reinterpret_cast<LPARAM>(&search));
    if (!search.frame) {
        // Hidden to the tray, the frame is a child of the parking window.
        HWND parking = nullptr;
        while ((parking = ::FindWindowExW(nullptr, parking, L"TrovaTrayParking", nullptr)) != nullptr)
            ::EnumChildWindows(parking, &FindFrameOf, reinterpret_cast<LPARAM>(&search));
    }
    return search.frame;
}

HWND TrayWindowOf(DWORD processId) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"TrovaTrayIconWindow", nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

template <class Predicate>
bool WaitUntil(Predicate done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(100);
    }
    return true;
}

std::string ReadLog(const std::wstring& path) {
    std::string text;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    ::CloseHandle(file);
    return text;
}

// The first player, started minimised for the whole suite.
class TwoPlayers : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        logPath_ = std::wstring(temp) + L"trova-player-log-" + std::to_wstring(::GetCurrentProcessId()) + L".txt";
        ::DeleteFileW(logPath_.c_str());
        // Inherited by every player started from here.
        ::SetEnvironmentVariableW(L"TROVAPLAYER_LOG", logPath_.c_str());
        ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", L"0");
        if (DistFolder().empty() || FindRunningPlayer() || !PlayerControlRegistered())
            return;
        first_ = new CPlayerProcess;
        if (!first_->Start(L"-StartMin") || !WaitUntil([] { return FindRunningPlayer() != nullptr; }, kStartTimeoutMs))
            return;
        // Creation ends with the tray icon.
        WaitUntil([] { return TrayWindowOf(first_->Id()) != nullptr; }, 10000);
    }
    static void TearDownTestSuite() {
        if (first_) {
            if (HWND singleton = FindRunningPlayer())
                ::SendMessageTimeoutW(singleton, WM_PLAYER_QUIT, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
            first_->WaitForExit(kExitTimeoutMs);
            delete first_;  // ends it by force if the quit message did not
            first_ = nullptr;
        }
        ::DeleteFileW(logPath_.c_str());
        ::SetEnvironmentVariableW(L"TROVAPLAYER_LOG", nullptr);
        ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", nullptr);
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
