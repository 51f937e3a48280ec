#include "player/shell/tests/PlayerProcess.h"

#include "player/shell/RemoteCmd.h"
#include "player/shell/tests/ShellTestSupport.h"

bool CPlayerProcess::Start(const std::wstring& arguments) {
    const std::wstring folder = DistFolder();
    return CChildProcess::Start(folder + L"\\TrovaPlayer6.exe", arguments, folder.c_str());
}

bool CPlayerProcess::StartAndWait(const std::wstring& arguments, DWORD timeoutMs) {
    return Start(arguments) && WaitUntil([] { return FindRunningPlayer() != nullptr; }, timeoutMs);
}

bool CPlayerProcess::Quit(DWORD timeoutMs) {
    if (HWND singleton = FindRunningPlayer())
        ::SendMessageTimeoutW(singleton, WM_PLAYER_QUIT, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    return WaitForExit(timeoutMs);
}

bool CPlayerProcess::WaitForExit(DWORD timeoutMs) const {
    const HANDLE process = Handle();
    if (!process)
        return false;
    // Wakes on the exit itself, not on a polling tick: hand-off timings are measured with it.
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1 || left == 0)
            return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        PumpMessages();
    }
}

std::wstring BeginPlayerTrace(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + name + std::to_wstring(::GetCurrentProcessId()) + L".txt";
    ::DeleteFileW(path.c_str());
    ::SetEnvironmentVariableW(L"TROVAPLAYER_LOG", path.c_str());
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", L"0");
    return path;
}

void EndPlayerTrace(const std::wstring& path) {
    if (!path.empty())
        ::DeleteFileW(path.c_str());
    ::SetEnvironmentVariableW(L"TROVAPLAYER_LOG", nullptr);
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", nullptr);
}

bool PlayerControlRegistered() {
    HKEY key = nullptr;
    const std::wstring path = L"CLSID\\{CC832E1D-5787-4677-808E-1C8EC3FC8D9D}\\InprocServer32";
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool CPlayerProcessTest::CanStartPlayers() { return !DistFolder().empty() && PlayerControlRegistered(); }

void CPlayerProcessTest::SetUp() {
    if (DistFolder().empty())
        GTEST_SKIP() << "TROVA_DIST_DIR is not set";
    if (!PlayerControlRegistered())
        GTEST_SKIP() << "the player control is not registered (scripts/register.sh)";
}

CPlayerProcess* CSuitePlayerTest::player_ = nullptr;
std::wstring CSuitePlayerTest::logPath_;

void CSuitePlayerTest::SetUpTestSuite() {
    logPath_ = BeginPlayerTrace(L"trova-player-log-");
    if (!CanStartPlayers() || FindRunningPlayer())
        return;
    player_ = new CPlayerProcess;
    if (!player_->StartAndWait(L"-StartMin", kStartTimeoutMs))
        return;
    // Creation ends with the tray icon.
    WaitUntil([] { return TrayWindowOf(player_->Id()) != nullptr; }, 10000);
}

void CSuitePlayerTest::TearDownTestSuite() {
    if (player_) {
        player_->Quit(kExitTimeoutMs);
        delete player_;  // ends it by force if the quit message did not
        player_ = nullptr;
    }
    EndPlayerTrace(logPath_);
}

void CSuitePlayerTest::SetUp() {
    CPlayerProcessTest::SetUp();
    if (IsSkipped())
        return;
    ASSERT_TRUE(player_) << "a player was running already";
    ASSERT_TRUE(player_->Running()) << "the player is gone";
    ASSERT_TRUE(FindRunningPlayer()) << "the player did not start";
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;  // null: any
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || (search->visibleOnly && !::IsWindowVisible(window)))
        return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (lstrcmpW(name, search->className) != 0)
        return TRUE;
    if (search->title) {
        wchar_t title[64] = {};
        ::GetWindowTextW(window, title, 64);
        if (lstrcmpW(title, search->title) != 0)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FrameOf(DWORD processId) {
    WindowSearch search{processId, L"TrovaPlayer6Frame", nullptr, false, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        // Hidden to the tray, the frame is a child of the parking window.
        HWND parking = nullptr;
        while ((parking = ::FindWindowExW(nullptr, parking, L"TrovaTrayParking", nullptr)) != nullptr)
            ::EnumChildWindows(parking, &MatchWindow, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
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

HWND TopLevelWindowOf(DWORD processId, const wchar_t* className, const wchar_t* title) {
    WindowSearch search{processId, className, title, true, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
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
