// A running player (the shipped TrovaPlayer6.exe) under requests it must survive: copy-data
// messages of every kind and shape from another process, many second starts in a row, the
// quit message while it is asking a question, and a second start while it is ending. The video player control
// substitute traces what the player was asked to play to TROVAPLAYER_LOG.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "player/shell/RemoteCmd.h"
#include "player/shell/tests/PlayerProcess.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

// Second starts are whole Wine processes: as many as fit in about two minutes, at most 1,000.
constexpr double kHandOffBudgetSeconds = 120;
constexpr int kMaxHandOffs = 1000;
constexpr int kTimedHandOffs = 50;

// The sources of the "method 1 play" lines of the trace, in order (still escaped).
std::vector<std::string> PlayedSources(const std::string& log) {
    std::vector<std::string> sources;
    const std::string prefix = "method 1 play \"";
    for (size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
        const size_t start = at + prefix.size();
        const size_t end = log.find("\" -> ", start);
        if (end == std::string::npos)
            break;
        sources.push_back(log.substr(start, end - start));
    }
    return sources;
}

int CountProcesses(const wchar_t* exeName) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, exeName) == 0)
            ++count;
    }
    ::CloseHandle(snapshot);
    return count;
}

// Open handles of another process. GetProcessHandleCount where the system answers it; Wine
// answers 0, so then the handle table is probed: every value that can be duplicated is open.
DWORD HandleCount(HANDLE process) {
    using GetProcessHandleCountFn = BOOL(WINAPI*)(HANDLE, PDWORD);
    const auto getCount = reinterpret_cast<GetProcessHandleCountFn>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetProcessHandleCount"));
    DWORD count = 0;
    if (getCount && getCount(process, &count) && count != 0)
        return count;
    count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        HANDLE copy = nullptr;
        if (::DuplicateHandle(process, reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_SAME_ACCESS)) {
            ::CloseHandle(copy);
            ++count;
        }
    }
    return count;
}

struct Usage {
    DWORD handles = 0;
    // Wine leaves PrivateUsage of another process at 0; PagefileUsage is its committed memory.
    SIZE_T committed = 0, workingSet = 0;
};

Usage UsageOf(HANDLE process) {
    Usage usage;
    usage.handles = HandleCount(process);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
        usage.committed = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
        usage.workingSet = memory.WorkingSetSize;
    }
    return usage;
}

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (owner == search->processId && lstrcmpW(name, L"#32770") == 0 && ::IsWindowVisible(window))
        search->dialogs.push_back(window);
    return TRUE;
}

// Answers "No" to every message box the player shows while it lives, and counts them.
class CDialogAnswerer {
public:
    explicit CDialogAnswerer(DWORD processId)
        : thread_([this, processId] {
              while (!stop_) {
                  DialogSearch search{processId, {}};
                  ::EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&search));
                  for (HWND dialog : search.dialogs) {
                      if (dialog != last_) {
                          last_ = dialog;
                          ++answered_;
                      }
                      ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
                  }
                  ::Sleep(30);
              }
          }) {}
    ~CDialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    int Answered() const { return answered_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    HWND last_ = nullptr;
    std::thread thread_;
};

// One player for the whole suite, started minimised; the tests run in their written order
// and the last one ends it.
class RunningPlayer : public CSuitePlayerTest {
protected:
    void SetUp() override {
        CSuitePlayerTest::SetUp();
        singleton_ = FindRunningPlayer();
    }

    // Sends one copy-data request from this process; false when the player did not answer.
    bool SendCopyData(ULONG_PTR kind, const void* data, DWORD bytes) {
        COPYDATASTRUCT request{};
        request.dwData = kind;
        request.cbData = bytes;
        request.lpData = const_cast<void*>(data);
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(singleton_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request), SMTO_NORMAL, 30000,
                                     &result) != 0;
    }

    // Runs one second start with a link and waits for it to end.
    bool HandOff(const std::wstring& link) {
        CPlayerProcess second;
        return second.Start(L"-trova " + link) && second.WaitForExit(kStartTimeoutMs) && second.ExitCode() == 0;
    }

    std::vector<std::string> Played() const { return PlayedSources(ReadLog(logPath_)); }

    HWND singleton_ = nullptr;
};

TEST_F(RunningPlayer, CopyDataOfEveryKindAndShapeFromAnotherProcess) {
    CDialogAnswerer answerer(player_->Id());
    const size_t playedBefore = Played().size();

    // Every kind, each with a link: only 100 plays it; 200 asks about a new version; the
    // others near and far from the three kinds are ignored.
    const ULONG_PTR kinds[] = {0, 1, 99, 100, 101, 199, 200, 201, 299, 300, 301, 0xFFFFFFFF};
    for (ULONG_PTR kind : kinds) {
        const std::wstring link = L"trova://global/kind" + std::to_wstring(kind);
        EXPECT_TRUE(SendCopyData(kind, link.c_str(), static_cast<DWORD>((link.size() + 1) * sizeof(wchar_t)))) << kind;
        ASSERT_TRUE(player_->Running()) << "after kind " << kind;
    }
    // A player still starting holds the question until its start-up ends.
    EXPECT_TRUE(WaitUntil([&] { return answerer.Answered() > 0; }, 10000)) << "no new-version question for 200";

    // Shapes of an open request.
    const wchar_t terminated[] = L"trova://global/x";
    EXPECT_TRUE(SendCopyData(kRequestOpenLink, nullptr, 0));     // no data: ignored
    EXPECT_TRUE(SendCopyData(kRequestOpenLink, terminated, 0));  // no bytes: ignored
    const wchar_t empty[] = L"";
    EXPECT_TRUE(SendCopyData(kRequestOpenLink, empty, sizeof(empty)));
    const std::wstring unterminated = L"trova://global/unterminated";
    EXPECT_TRUE(
        SendCopyData(kRequestOpenLink, unterminated.data(), static_cast<DWORD>(unterminated.size() * sizeof(wchar_t))));
    std::vector<char> odd(unterminated.size() * sizeof(wchar_t) + 1, 'Z');
    memcpy(odd.data(), unterminated.data(), unterminated.size() * sizeof(wchar_t));
    EXPECT_TRUE(SendCopyData(kRequestOpenLink, odd.data(), static_cast<DWORD>(odd.size())));
    const wchar_t embedded[] = L"trova://global/first\0second";
    EXPECT_TRUE(SendCopyData(kRequestOpenLink, embedded, sizeof(embedded)));
    // One megabyte of text without a terminator.
    std::wstring huge = L"trova://global/";
    huge.resize(512 * 1024, L'x');
    EXPECT_TRUE(SendCopyData(kRequestOpenLink, huge.data(), static_cast<DWORD>(huge.size() * sizeof(wchar_t))));
    ASSERT_TRUE(player_->Running());
    EXPECT_EQ(singleton_, FindRunningPlayer());

    const std::vector<std::string> played = Played();
    ASSERT_EQ(playedBefore + 6, played.size());
    const std::vector<std::string> expected = {"trova://global/kind100", "", "trova://global/unterminated",
                                               "trova://global/unterminated", "trova://global/first"};
    EXPECT_EQ(expected, std::vector<std::string>(played.begin() + playedBefore, played.end() - 1));
    EXPECT_EQ(std::string(huge.begin(), huge.end()), played.back()) << "the megabyte link arrived cut or changed";
    EXPECT_EQ(1, answerer.Answered());
}

TEST_F(RunningPlayer, SecondStartsInARowLeaveOnePlayerThatDoesNotGrow) {
    // Warm up, so that what the first plays load stays out of the comparison.
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(HandOff(L"trova://global/warm" + std::to_wstring(i)));
    ::Sleep(1000);
    const Usage before = UsageOf(player_->Handle());
    const size_t playedBefore = Played().size();

    const auto start = std::chrono::steady_clock::now();
    int done = 0;
    for (; done < kTimedHandOffs; ++done)
        ASSERT_TRUE(HandOff(L"trova://global/h" + std::to_wstring(done))) << done;
    const double perStart =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kTimedHandOffs;
    const int total =
        std::max(kTimedHandOffs, std::min(kMaxHandOffs, static_cast<int>(kHandOffBudgetSeconds / perStart)));
    for (; done < total; ++done)
        ASSERT_TRUE(HandOff(L"trova://global/h" + std::to_wstring(done))) << done;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    ASSERT_TRUE(player_->Running());
    EXPECT_EQ(singleton_, FindRunningPlayer());
    EXPECT_EQ(1, CountProcesses(L"TrovaPlayer6.exe"));
    const std::vector<std::string> played = Played();
    ASSERT_EQ(playedBefore + total, played.size());
    EXPECT_EQ("trova://global/h0", played[playedBefore]);
    EXPECT_EQ("trova://global/h" + std::to_string(total - 1), played.back());

    ::Sleep(1000);  // the last play's timer events
    const Usage after = UsageOf(player_->Handle());
    std::printf("%d second starts in %.1f s (%.0f ms each; %d fit the %.0f s budget of %d)\n", total, seconds,
                perStart * 1000, total, kHandOffBudgetSeconds, kMaxHandOffs);
    std::printf("player before/after: handles %lu/%lu, committed %lu/%lu KB, working set %lu/%lu KB\n",
                static_cast<unsigned long>(before.handles), static_cast<unsigned long>(after.handles),
                static_cast<unsigned long>(before.committed / 1024), static_cast<unsigned long>(after.committed / 1024),
                static_cast<unsigned long>(before.workingSet / 1024),
                static_cast<unsigned long>(after.workingSet / 1024));
    ASSERT_GT(before.handles, 0u);
    EXPECT_LE(after.handles, before.handles + 8) << "handles leak per hand-off";
    ASSERT_GT(before.committed, 0u);
    EXPECT_LE(after.committed, before.committed + 4 * 1024 * 1024) << "memory grows per hand-off";
    EXPECT_LE(after.workingSet, before.workingSet + 4 * 1024 * 1024) << "memory grows per hand-off";
}

// Players of their own, one or two per case, with the environment that the case needs.
class OwnPlayers : public CPlayerProcessTest {
protected:
    void SetUp() override {
        CPlayerProcessTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_FALSE(FindRunningPlayer()) << "a player is running already";
        log_ = BeginPlayerTrace(L"trova-own-log-");
    }
    void TearDown() override {
        for (const wchar_t* name : {L"UPDATEPROBE_DELAY_MS", L"UPDATEPROBE_LOG"})
            ::SetEnvironmentVariableW(name, nullptr);
        EndPlayerTrace(log_);
    }
    static DWORD OwnerOf(HWND window) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        return owner;
    }

    std::wstring log_;
};

// The new-version question shows over the frame once the frame is up (a request that came
// during start-up waits for it). Quitting while it shows, by the quit message or by the tray
// menu's Exit, ends the player within seconds.
TEST_F(OwnPlayers, QuitWhileTheUpdateQuestionShowsEndsThePlayer) {
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", L"1");
    const char* orders[] = {"quit message", "tray menu Exit"};
    for (int order = 0; order < 2; ++order) {
        SCOPED_TRACE(orders[order]);
        CPlayerProcess player;
        ASSERT_TRUE(player.Start(L""));
        HWND question = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (question = TopLevelWindowOf(player.Id(), L"#32770", nullptr)) != nullptr; },
                              kStartTimeoutMs))
            << "no question shown";
        const HWND frame = FrameOf(player.Id());
        ASSERT_TRUE(frame);
        EXPECT_TRUE(::IsWindowVisible(frame)) << "the question stands on an empty screen";
        EXPECT_EQ(frame, ::GetWindow(question, GW_OWNER));
        if (order == 0) {
            // Stray parameters are no part of the request.
            DWORD_PTR answer = 1;
            EXPECT_TRUE(::SendMessageTimeoutW(FindRunningPlayer(), 0x07F0, 0xDEADBEEF, 0x12345678, SMTO_NORMAL, 10000,
                                              &answer));
            EXPECT_EQ(0u, answer);
        } else {
            ::PostMessageW(frame, WM_COMMAND, 32774, 0);
        }
        EXPECT_TRUE(player.WaitForExit(15000)) << "the player did not end";
        EXPECT_EQ(0u, player.ExitCode());
        EXPECT_FALSE(FindRunningPlayer());
    }
    EXPECT_EQ(0, CountProcesses(L"TrovaPlayer6.exe"));
}

// An update check that never comes back from the library (a server that does not answer)
// does not keep the player from ending: the end waits for it only a bounded time, and the
// process ends with the check still inside.
TEST_F(OwnPlayers, QuitWhileTheCheckHangsInTheLibraryEndsThePlayer) {
    const std::wstring probeLog = log_ + L".probe";
    ::DeleteFileW(probeLog.c_str());
    ::SetEnvironmentVariableW(L"UPDATEPROBE_LOG", probeLog.c_str());
    ::SetEnvironmentVariableW(L"UPDATEPROBE_DELAY_MS", L"600000");
    CPlayerProcess player;
    ASSERT_TRUE(player.StartAndWait(L"-startmin", kStartTimeoutMs));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(FindRunningPlayer(), WM_PLAYER_QUIT, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_TRUE(player.WaitForExit(kExitTimeoutMs)) << "the end waits for the check";
    EXPECT_EQ(0u, player.ExitCode());
    EXPECT_EQ("", ReadLog(probeLog)) << "the check came back: it was not inside the library";
    ::SetEnvironmentVariableW(L"UPDATEPROBE_LOG", nullptr);
    ::DeleteFileW(probeLog.c_str());
}

// A link handed over while the player is ending (its end waits for a slow update check) is
// not taken there and lost: the second start waits for that player to end and becomes the
// player itself, playing its link.
TEST_F(OwnPlayers, SecondStartDuringTheShutdownBecomesThePlayerWithItsLink) {
    ::SetEnvironmentVariableW(L"UPDATEPROBE_DELAY_MS", L"20000");
    CPlayerProcess first;
    ASSERT_TRUE(first.StartAndWait(L"-startmin", kStartTimeoutMs));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(FindRunningPlayer(), WM_PLAYER_QUIT, 0, 0, SMTO_NORMAL, 10000, &answer));

    CPlayerProcess second;
    ASSERT_TRUE(second.Start(L"-trova trova://global/late"));
    EXPECT_TRUE(first.WaitForExit(kExitTimeoutMs)) << "the first player did not end";
    EXPECT_TRUE(WaitUntil([&] { return OwnerOf(FindRunningPlayer()) == second.Id(); }, kStartTimeoutMs))
        << "the second start did not become the player";
    std::vector<std::string> played;
    WaitUntil([&] { return !(played = PlayedSources(ReadLog(log_))).empty(); }, 10000);
    EXPECT_EQ(std::vector<std::string>{"trova://global/late"}, played);

    if (HWND singleton = FindRunningPlayer())
        ::SendMessageTimeoutW(singleton, WM_PLAYER_QUIT, 0, 0, SMTO_NORMAL, 10000, &answer);
    EXPECT_TRUE(second.WaitForExit(kExitTimeoutMs));
    EXPECT_EQ(0u, second.ExitCode());
}

// Several players started at the same moment with no player running (a link clicked twice in
// a row): all pass the running-instance probe before any has made the mutexes; one must stay,
// and the others hand their links to it.
using SimultaneousStarts = CPlayerProcessTest;

TEST_F(SimultaneousStarts, LeaveOnePlayerThatPlaysEveryLink) {
    ASSERT_FALSE(FindRunningPlayer()) << "a player is running already";
    const std::wstring log = BeginPlayerTrace(L"trova-race-log-");

    constexpr int kStarts = 4;
    CPlayerProcess players[kStarts];
    for (int i = 0; i < kStarts; ++i)
        ASSERT_TRUE(players[i].Start(L"-trova trova://global/race" + std::to_wstring(i)));
    auto running = [&players] {
        int count = 0;
        for (const CPlayerProcess& player : players)
            count += player.Running() ? 1 : 0;
        return count;
    };
    EXPECT_TRUE(WaitUntil([&] { return running() <= 1; }, kStartTimeoutMs)) << running() << " players";
    ::Sleep(2000);  // a second player would have its window by now
    EXPECT_EQ(1, running());
    EXPECT_EQ(1, CountProcesses(L"TrovaPlayer6.exe"));
    CPlayerProcess* survivor = nullptr;
    for (CPlayerProcess& player : players) {
        if (player.Running())
            survivor = &player;
        else
            EXPECT_EQ(0u, player.ExitCode());
    }
    ASSERT_TRUE(survivor);
    const HWND singleton = FindRunningPlayer();
    ASSERT_TRUE(singleton);

    // Its own link is played once its controls exist; the others arrive through the window.
    std::vector<std::string> played;
    WaitUntil([&] { return (played = PlayedSources(ReadLog(log))).size() >= kStarts; }, 10000);
    std::sort(played.begin(), played.end());
    EXPECT_EQ((std::vector<std::string>{"trova://global/race0", "trova://global/race1", "trova://global/race2",
                                        "trova://global/race3"}),
              played);

    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(singleton, WM_PLAYER_QUIT, 0, 0, SMTO_NORMAL, 10000, &answer);
    EXPECT_TRUE(survivor->WaitForExit(kExitTimeoutMs));
    EXPECT_EQ(0u, survivor->ExitCode());
    EndPlayerTrace(log);
}

}  // namespace
