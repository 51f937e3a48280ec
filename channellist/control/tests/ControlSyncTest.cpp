// The background synchronisation as the control runs it: next to the window thread's own
// reads of the same database file, and while the window is destroyed.

#include "channellist/control/tests/ControlTestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <mutex>

namespace {

// Errors SQLite reports anywhere in the process (the control shares sqlite3.dll with the test),
// by primary result code.
class CSqliteErrorLog {
public:
    static CSqliteErrorLog& Instance() {
        static CSqliteErrorLog log;
        return log;
    }
    std::map<int, int> Take() {
        std::lock_guard<std::mutex> guard(lock_);
        std::map<int, int> counts;
        counts.swap(counts_);
        return counts;
    }

private:
    CSqliteErrorLog() {
        // Must come before SQLite initialises, which the first connection of the process does.
        sqlite3_config(SQLITE_CONFIG_LOG, &CSqliteErrorLog::Log, this);
    }
    static void Log(void* self, int code, const char*) {
        auto* log = static_cast<CSqliteErrorLog*>(self);
        std::lock_guard<std::mutex> guard(log->lock_);
        ++log->counts_[code & 0xFF];
    }
    std::mutex lock_;
    std::map<int, int> counts_;
};

const CSqliteErrorLog& g_sqliteLog = CSqliteErrorLog::Instance();

int QueryInt(const char* sql) {
    sqlite3* db = nullptr;
    int value = -1;
    if (sqlite3_open16(CPrivateAppData::DatabasePath().c_str(), &db) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

void Exec(const char* sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open16(CPrivateAppData::DatabasePath().c_str(), &db) == SQLITE_OK)
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

HRESULT CreateControl(IUnknown** control) {
    ComPtr<IClassFactory> factory;
    HRESULT hr = CTrovaCLDll::Instance().GetClassObject(trovacl::kControlClassId, IID_PPV_ARGS(&factory));
    return SUCCEEDED(hr) ? factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control)) : hr;
}

// Creates and destroys the control `count` times, each time on a fresh database or on one the
// engine's catalogue already filled, and counts the synchronisations that left no merge behind.
// Destroying the control waits for its synchronisation, so each outcome is final when checked.
int CountFailedSyncs(int count, bool fresh) {
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        if (fresh)
            CPrivateAppData::DeleteDatabase();
        else
            Exec("UPDATE channel SET visitors=-1");  // every merged channel gets its viewers back
        CStubContainer container(220, 560);
        ComPtr<IUnknown> control;
        if (FAILED(CreateControl(&control)) || FAILED(container.Activate(control.Get()))) return -1;
        control.Reset();
        container.Deactivate();
        const bool merged = fresh ? QueryInt("SELECT count(*) FROM channel") == 44
                                  : QueryInt("SELECT count(*) FROM channel WHERE visitors=-1") == 0;
        if (!merged) ++failed;
    }
    return failed;
}

// A user who starts searching at once: the window thread reads the file over and over while
// the merge runs and commits.
int CountFailedSyncsWhileSearching(int count) {
    CEngineEnvironment delay(L"TRCORE_DELAY_MS", L"2");
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        Exec("UPDATE channel SET visitors=-1");
        CStubContainer container(220, 560);
        ComPtr<IUnknown> control;
        if (FAILED(CreateControl(&control)) || FAILED(container.Activate(control.Get()))) return -1;
        const HWND edit = GetDlgItem(container.Child(kSearchPanel), 1001);
        SetFocus(edit);
        bool synced = false;
        for (DWORD start = GetTickCount(); !synced && GetTickCount() - start < 3000;) {
            SendMessageW(edit, WM_CHAR, L'a', 0);
            SendMessageW(edit, WM_CHAR, VK_BACK, 0);
            synced = container.WaitForSync(0);
        }
        control.Reset();
        container.Deactivate();
        if (QueryInt("SELECT count(*) FROM channel WHERE visitors=-1") != 0) ++failed;
    }
    return failed;
}

std::string Describe(const std::map<int, int>& errors) {
    std::string text;
    for (const auto& entry : errors)
        text += std::string(text.empty() ? "" : ", ") + sqlite3_errstr(entry.first) + " x" +
                std::to_string(entry.second);
    return text.empty() ? "none" : text;
}

class ControlSyncTest : public ::testing::Test {
protected:
    void SetUp() override { CPrivateAppData::DeleteDatabase(); }
    void TearDown() override { EXPECT_EQ(S_OK, CTrovaCLDll::Instance().CanUnloadNow()); }
};

// The window thread fills its lists while the merge runs, with no lock of the program's own;
// neither a fresh database (both threads create tables) nor a filled one (reads hold the file
// when the merge commits) may cost the synchronisation.
TEST_F(ControlSyncTest, MergeSurvivesTheWindowThreadsReads) {
    CSqliteErrorLog::Instance().Take();
    EXPECT_EQ(0, CountFailedSyncs(10, true));
    ASSERT_EQ(44, QueryInt("SELECT count(*) FROM channel"));
    EXPECT_EQ(0, CountFailedSyncs(10, false));
    EXPECT_EQ(0, CountFailedSyncsWhileSearching(5));
    std::printf("SQLite errors meanwhile: %s\n", Describe(CSqliteErrorLog::Instance().Take()).c_str());
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
        if (GetTickCount() - start >= timeoutMs) return false;
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
    {
        CStubContainer first(220, 560);
        ComPtr<IUnknown> control;
        ASSERT_EQ(S_OK, CreateControl(&control));
        ASSERT_EQ(S_OK, first.Activate(control.Get()));
        ASSERT_TRUE(first.WaitForSync());
        first.Deactivate();
    }
    // No merge, so no later read of the thread shows the history again.
    CEngineEnvironment broken(L"TRCORE_FAIL_OPEN", L"1");
    CStubContainer container(220, 560);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateControl(&control));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    ASSERT_TRUE(PumpAllButTheReadLists(container.ControlWindow(), 10000));

    const HWND edit = GetDlgItem(container.Child(kSearchPanel), 1001);
    SetFocus(edit);
    for (wchar_t c : std::wstring(L"Beta")) SendMessageW(edit, WM_CHAR, c, 0);
    const HWND results = container.Child(kSearchTree);
    const LPARAM row = MAKELPARAM(40, 11);
    SendMessageW(results, WM_LBUTTONDOWN, MK_LBUTTON, row);
    SendMessageW(results, WM_LBUTTONUP, 0, row);
    SendMessageW(results, WM_LBUTTONDBLCLK, MK_LBUTTON, row);
    SendMessageW(results, WM_LBUTTONUP, 0, row);
    ASSERT_EQ(1, QueryInt("SELECT count(*) FROM history"));
    ASSERT_EQ(L"最近观看(1)", WindowText(container.Child(kHistoryHeader)));

    ASSERT_TRUE(container.WaitForLoad());
    EXPECT_EQ(L"所有频道(2)", WindowText(container.Child(kAllHeader)));
    EXPECT_EQ(L"最近观看(1)", WindowText(container.Child(kHistoryHeader)));
    control.Reset();
    container.Deactivate();
}

TEST_F(ControlSyncTest, FailedSynchronisationKeepsTheStoredListAndSendsNothing) {
    // A first run fills the database.
    {
        CStubContainer container(220, 560);
        ComPtr<IUnknown> control;
        ASSERT_EQ(S_OK, CreateControl(&control));
        ASSERT_EQ(S_OK, container.Activate(control.Get()));
        ASSERT_TRUE(container.WaitForSync());
        container.Deactivate();
    }
    CEngineEnvironment broken(L"TRCORE_FAIL_OPEN", L"1");
    CStubContainer container(220, 560);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreateControl(&control));
    ASSERT_EQ(S_OK, container.Activate(control.Get()));
    ASSERT_TRUE(container.WaitForLoad());
    EXPECT_EQ(L"所有频道(44)", WindowText(container.Child(kAllHeader))) << "what the database held";
    EXPECT_FALSE(container.WaitForSync(1500));
    EXPECT_EQ(L"所有频道(44)", WindowText(container.Child(kAllHeader)));
    container.Deactivate();
}

}  // namespace
