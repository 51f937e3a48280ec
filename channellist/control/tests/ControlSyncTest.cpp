// The background synchronisation as the control runs it: next to the window thread's own
// reads of the same database file, and while the window is destroyed.

#include "channellist/control/tests/ControlSyncSupport.h"
#include "channellist/control/tests/ControlTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class ControlSyncTest : public ::testing::Test {
protected:
    void SetUp() override { CPrivateAppData::DeleteDatabase(); }
    void TearDown() override { EXPECT_EQ(S_OK, CTrovaCLDll::Instance().CanUnloadNow()); }
};

// A first run: the control synchronises once with the engine and is closed.
void SynchroniseOnce() {
    CStubContainer container(220, 560);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateControl(&control));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    ASSERT_TRUE(container.WaitForSync());
    container.Deactivate();
}

// The window thread fills its lists while the merge runs, with no lock of the program's own;
// neither a fresh database (both threads create tables) nor a filled one (reads hold the file
// when the merge commits) may cost the synchronisation.
TEST_F(ControlSyncTest, MergeSurvivesTheWindowThreadsReads) {
    CSqliteErrorLog::Instance().Take();
    EXPECT_EQ(0, CountFailedSyncs(10, true));
    ASSERT_EQ(44, QueryInt("SELECT count(*) FROM channel"));
    EXPECT_EQ(0, CountFailedSyncs(10, false));
    EXPECT_EQ(0, CountFailedSyncsWhileSearching(5));
    std::printf("SQLite errors meanwhile: %s\n", DescribeSqliteErrors(CSqliteErrorLog::Instance().Take()).c_str());
}

// A keyword typed after the merge was committed, before the lists read after it are shown,
// finds the merged channels, not what was read before the merge.
TEST_F(ControlSyncTest, KeywordTypedAfterTheCommitFindsTheMergedChannels) {
    CTestCatalogue catalogue({"Sport one\ts1\t\t\tSport\t0\t5\t300", "Sport two\ts2\t\t\tSport\t0\t5\t300",
                              "News\tn1\t\t\tNews\t0\t5\t300"});
    // Each engine call takes a while: the first keystroke comes well before the merge.
    CEngineEnvironment delay(L"TRCORE_DELAY_MS", L"200");
    CStubContainer container(220, 560);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateControl(&control));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    // Only the lists read before the merge (of a new, empty database) are shown.
    MSG msg;
    bool loaded = false;
    for (DWORD start = GetTickCount(); !loaded && GetTickCount() - start < 20000; Sleep(5)) {
        loaded = PeekMessageW(&msg, nullptr, kChannelListLoaded, kChannelListLoaded, PM_REMOVE) != FALSE;
        if (loaded)
            DispatchMessageW(&msg);
    }
    ASSERT_TRUE(loaded);
    const HWND edit = GetDlgItem(container.Child(TrovaCLIds::kSearchPanelId), 1001);
    SetFocus(edit);
    SendMessageW(edit, WM_CHAR, L's', 0);
    EXPECT_EQ(L"搜索结果(0)", WindowText(container.Child(TrovaCLIds::kSearchHeaderId)));
    // The merge commits; its lists wait in the queue.
    for (DWORD start = GetTickCount(); QueryInt("SELECT count(*) FROM channel") != 3 && GetTickCount() - start < 20000;)
        Sleep(5);
    Sleep(100);  // the thread notes the commit right after it
    SendMessageW(edit, WM_CHAR, L'p', 0);
    EXPECT_EQ(L"搜索结果(2)", WindowText(container.Child(TrovaCLIds::kSearchHeaderId)));
    ASSERT_TRUE(container.WaitForSync());
    EXPECT_EQ(L"搜索结果(2)", WindowText(container.Child(TrovaCLIds::kSearchHeaderId)));
    control.Reset();
    container.Deactivate();
}

TEST_F(ControlSyncTest, DestroyingTheControlWaitsForARunningSynchronisation) {
    // 48 engine calls of 40 ms each: the merge ends about two seconds after the start.
    CEngineEnvironment delay(L"TRCORE_DELAY_MS", L"40");
    CStubContainer container(220, 560);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateControl(&control));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    const HWND window = container.ControlWindow();
    ASSERT_TRUE(container.WaitForLoad());  // the tables exist
    EXPECT_EQ(0, QueryInt("SELECT count(*) FROM channel")) << "the merge is still running";

    const DWORD start = GetTickCount();
    container.Deactivate();
    const DWORD blocked = GetTickCount() - start;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_GE(blocked, 1000u) << "destruction returned before the synchronisation ended";
    EXPECT_EQ(44, QueryInt("SELECT count(*) FROM channel")) << "the synchronisation ran to its end";
    PumpPending();  // its message, if it was posted in time, finds no window
    control.Reset();
    std::printf("destruction blocked for %lu ms\n", static_cast<unsigned long>(blocked));
}

// Handles every message of this thread but the control's read lists, until the thread has
// posted them; false when it did not in time.
bool PumpAllButTheReadLists(HWND control, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!PeekMessageW(&msg, control, kChannelListLoaded, kChannelListLoaded, PM_NOREMOVE)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        if (PeekMessageW(&msg, nullptr, 0, kChannelListLoaded - 1, PM_REMOVE) ||
            PeekMessageW(&msg, nullptr, kChannelListLoaded + 1, 0xFFFF, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

// The user opens a channel after the thread has read the history but before the window shows
// what it read: the window's own reload after that write is newer, and stays.
TEST_F(ControlSyncTest, HistoryWrittenAfterTheThreadsReadOutlivesItsHandOver) {
    CTestCatalogue catalogue({"Alpha News\tch-alpha\tMorning bulletin\thttp://a.example\tNews\t0\t300\t450",
                              "Beta Sport\tch-beta\tFootball live\thttp://b.example\tSport\t0\t200\t500"});
    ASSERT_NO_FATAL_FAILURE(SynchroniseOnce());
    // No merge, so no later read of the thread shows the history again.
    CEngineEnvironment broken(L"TRCORE_FAIL_OPEN", L"1");
    CStubContainer container(220, 560);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateControl(&control));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    ASSERT_TRUE(PumpAllButTheReadLists(container.ControlWindow(), 10000));

    const HWND edit = GetDlgItem(container.Child(TrovaCLIds::kSearchPanelId), 1001);
    SetFocus(edit);
    for (wchar_t c : std::wstring(L"Beta"))
        SendMessageW(edit, WM_CHAR, c, 0);
    const HWND results = container.Child(TrovaCLIds::kSearchTreeId);
    const LPARAM row = MAKELPARAM(40, 11);
    SendMessageW(results, WM_LBUTTONDOWN, MK_LBUTTON, row);
    SendMessageW(results, WM_LBUTTONUP, 0, row);
    SendMessageW(results, WM_LBUTTONDBLCLK, MK_LBUTTON, row);
    SendMessageW(results, WM_LBUTTONUP, 0, row);
    ASSERT_EQ(1, QueryInt("SELECT count(*) FROM history"));
    ASSERT_EQ(L"最近观看(1)", WindowText(container.Child(TrovaCLIds::kHistoryHeaderId)));

    ASSERT_TRUE(container.WaitForLoad());
    EXPECT_EQ(L"所有频道(2)", WindowText(container.Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_EQ(L"最近观看(1)", WindowText(container.Child(TrovaCLIds::kHistoryHeaderId)));
    control.Reset();
    container.Deactivate();
}

TEST_F(ControlSyncTest, FailedSynchronisationKeepsTheStoredListAndSendsNothing) {
    ASSERT_NO_FATAL_FAILURE(SynchroniseOnce());  // fills the database
    CEngineEnvironment broken(L"TRCORE_FAIL_OPEN", L"1");
    CStubContainer container(220, 560);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateControl(&control));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    ASSERT_TRUE(container.WaitForLoad());
    EXPECT_EQ(L"所有频道(44)", WindowText(container.Child(TrovaCLIds::kAllHeaderId))) << "what the database held";
    EXPECT_FALSE(container.WaitForSync(1500));
    EXPECT_EQ(L"所有频道(44)", WindowText(container.Child(TrovaCLIds::kAllHeaderId)));
    container.Deactivate();
}

}  // namespace
