#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "player/shell/MessengerNotice.h"
#include "player/shell/RemoteCmd.h"
#include "player/shell/SingletonWnd.h"
#include "player/shell/tests/RecordingHandler.h"

namespace {

COPYDATASTRUCT Request(ULONG_PTR kind, const void* data = nullptr, DWORD bytes = 0) {
    COPYDATASTRUCT request{};
    request.dwData = kind;
    request.lpData = const_cast<void*>(data);
    request.cbData = bytes;
    return request;
}

TEST(CopyDataRequests, EachKindReachesItsHandlerCall) {
    RecordingHandler handler;
    const wchar_t link[] = L"trova://global/abc";
    COPYDATASTRUCT open = Request(kRequestOpenLink, link, sizeof(link));
    COPYDATASTRUCT offer = Request(kRequestNewVersion);
    COPYDATASTRUCT activate = Request(kRequestActivate);
    COPYDATASTRUCT other = Request(12345);
    DispatchCopyData(&handler, &open);
    DispatchCopyData(&handler, &offer);
    DispatchCopyData(&handler, &activate);
    DispatchCopyData(&handler, &other);
    DispatchCopyData(nullptr, &open);
    EXPECT_EQ((std::vector<std::wstring>{L"open:trova://global/abc", L"offer", L"activate"}), handler.calls);
}

TEST(CopyDataRequests, OpenLinkNeedsData) {
    RecordingHandler handler;
    const wchar_t link[] = L"x";
    COPYDATASTRUCT noBytes = Request(kRequestOpenLink, link, 0);
    COPYDATASTRUCT noPointer = Request(kRequestOpenLink, nullptr, 10);
    DispatchCopyData(&handler, &noBytes);
    DispatchCopyData(&handler, &noPointer);
    EXPECT_TRUE(handler.calls.empty());
}

TEST(CopyDataRequests, TextIsReadOnlyWithinTheRecord) {
    // A guard page right after the record would fault on any read past it.
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const DWORD page = info.dwPageSize;
    auto* base = static_cast<BYTE*>(VirtualAlloc(nullptr, page * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, base);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &old));

    const std::wstring text = L"trova://global/unterminated";
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    BYTE* record = base + page - bytes;
    memcpy(record, text.data(), bytes);
    EXPECT_EQ(text, LinkTextFromCopyData(Request(kRequestOpenLink, record, bytes)));

    // An odd byte count leaves the last half character out.
    BYTE* oddRecord = base + page - (bytes + 1);
    memcpy(oddRecord, text.data(), bytes);
    oddRecord[bytes] = 'Z';
    EXPECT_EQ(text, LinkTextFromCopyData(Request(kRequestOpenLink, oddRecord, bytes + 1)));

    // The text ends at the first terminator inside the record.
    const wchar_t embedded[] = L"abc\0def";
    EXPECT_EQ(L"abc", LinkTextFromCopyData(Request(kRequestOpenLink, embedded, sizeof(embedded))));
    VirtualFree(base, 0, MEM_RELEASE);
}

// Hand-off to a running single-instance window is covered with the real window in
// SingletonTest.cpp; without one there is nobody to hand off to.
TEST(RunningInstance, HandOffFailsWithoutARunningPlayer) {
    EXPECT_EQ(RequestAnswer::kNoPlayer, SendLinkToRunningInstance(L"trova://global/abc"));
    EXPECT_EQ(RequestAnswer::kNoPlayer, ActivateRunningInstance());
}

// A player and a messenger whose thread no longer takes messages: a second start and the
// player's window thread give up on them instead of hanging with them.
TEST(RunningInstance, HungPlayerAndHungMessengerAreGivenUpOn) {
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", L"0");
    HANDLE created = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    RecordingHandler handler;
    std::thread hung([&] {
        CSingletonWnd player;
        player.Create(nullptr);
        player.SetHandler(&handler);
        WNDCLASSW messengerClass{};
        messengerClass.lpfnWndProc = ::DefWindowProcW;
        messengerClass.hInstance = ::GetModuleHandleW(nullptr);
        messengerClass.lpszClassName = L"MsnMsgrUIManager";
        ::RegisterClassW(&messengerClass);
        HWND messenger = ::CreateWindowW(L"MsnMsgrUIManager", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         messengerClass.hInstance, nullptr);
        ::SetEvent(created);
        // Hung: no message is taken from here on. Whatever was sent meanwhile goes with the thread.
        ::WaitForSingleObject(release, 30000);
        ::DestroyWindow(messenger);
        player.DestroyWindow();
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(created, 10000));
    ASSERT_TRUE(FindRunningPlayer());

    DWORD start = ::GetTickCount();
    EXPECT_EQ(RequestAnswer::kNoAnswer, SendLinkToRunningInstance(L"trova://global/abc"));
    const DWORD handOffMs = ::GetTickCount() - start;
    start = ::GetTickCount();
    EXPECT_EQ(0, SendToMessengers(ClearNoticeText()));
    const DWORD messengerMs = ::GetTickCount() - start;
    ::SetEvent(release);
    hung.join();
    ::CloseHandle(created);
    ::CloseHandle(release);
    ::UnregisterClassW(L"MsnMsgrUIManager", ::GetModuleHandleW(nullptr));
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", nullptr);

    EXPECT_LE(handOffMs, kRequestTimeoutMs + 2000);
    EXPECT_LE(messengerMs, 1000u);
    EXPECT_TRUE(handler.calls.empty());
}

TEST(RunningInstance, MutexesMarkARunningPlayer) {
    ASSERT_FALSE(IsPlayerRunning());
    {
        CInstanceMutexes mutexes;
        mutexes.Create();
        EXPECT_TRUE(IsPlayerRunning());
    }
    EXPECT_FALSE(IsPlayerRunning());
}

// Two players that passed the probe at the same moment: the one that made the local mutex
// first stays, the other learns that it came second.
TEST(RunningInstance, SecondMutexCreatorKnowsItCameSecond) {
    ASSERT_FALSE(IsPlayerRunningInThisSession());
    CInstanceMutexes first, second;
    EXPECT_TRUE(first.Create());
    EXPECT_TRUE(IsPlayerRunningInThisSession());
    EXPECT_FALSE(second.Create());
    second.Close();
    first.Close();
    EXPECT_FALSE(IsPlayerRunningInThisSession());
    EXPECT_TRUE(second.Create()) << "a player that ended leaves the way free";
}

// Mutexes without a window are a player of this session starting or ending: the wait ends when
// it has ended, and fails only while it holds them past the time.
TEST(RunningInstance, AwaitingAPlayerOfThisSessionWithoutWindow) {
    EXPECT_TRUE(AwaitPlayerOfThisSession(0)) << "no player at all";
    CInstanceMutexes mutexes;
    mutexes.Create();
    EXPECT_FALSE(AwaitPlayerOfThisSession(200));
    std::thread ending([&mutexes] {
        Sleep(300);
        mutexes.Close();
    });
    const DWORD start = GetTickCount();
    EXPECT_TRUE(AwaitPlayerOfThisSession(10000));
    EXPECT_GE(GetTickCount() - start, 250u);
    ending.join();
}

}  // namespace
