#include "channellist/control/tests/ControlSyncSupport.h"

#include "channellist/control/tests/ControlTestSupport.h"

#include <sqlite3.h>

namespace {
// Must come before SQLite initialises, which the first connection of the process does.
const CSqliteErrorLog& g_sqliteLog = CSqliteErrorLog::Instance();
}  // namespace

CSqliteErrorLog& CSqliteErrorLog::Instance() {
    static CSqliteErrorLog log;
    return log;
}

CSqliteErrorLog::CSqliteErrorLog() { sqlite3_config(SQLITE_CONFIG_LOG, &CSqliteErrorLog::Log, this); }

std::map<int, int> CSqliteErrorLog::Take() {
    std::lock_guard<std::mutex> guard(lock_);
    std::map<int, int> counts;
    counts.swap(counts_);
    return counts;
}

void CSqliteErrorLog::Log(void* self, int code, const char*) {
    auto* log = static_cast<CSqliteErrorLog*>(self);
    std::lock_guard<std::mutex> guard(log->lock_);
    ++log->counts_[code & 0xFF];
}

std::string DescribeSqliteErrors(const std::map<int, int>& errors) {
    std::string text;
    for (const auto& entry : errors)
        text +=
            std::string(text.empty() ? "" : ", ") + sqlite3_errstr(entry.first) + " x" + std::to_string(entry.second);
    return text.empty() ? "none" : text;
}

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
    return CTrovaCLDll::Instance().CreateControl(TrovaCLIds::kControlClassId, control);
}

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
        if (FAILED(CreateControl(&control)) || FAILED(container.Activate(control.Get())))
            return -1;
        control.Reset();
        container.Deactivate();
        const bool merged = fresh ? QueryInt("SELECT count(*) FROM channel") == 44
                                  : QueryInt("SELECT count(*) FROM channel WHERE visitors=-1") == 0;
        if (!merged)
            ++failed;
    }
    return failed;
}

int CountFailedSyncsWhileSearching(int count) {
    CEngineEnvironment delay(L"TRCORE_DELAY_MS", L"2");
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        Exec("UPDATE channel SET visitors=-1");
        CStubContainer container(220, 560);
        ComPtr<IUnknown> control;
        if (FAILED(CreateControl(&control)) || FAILED(container.Activate(control.Get())))
            return -1;
        const HWND edit = GetDlgItem(container.Child(TrovaCLIds::kSearchPanelId), 1001);
        SetFocus(edit);
        bool synced = false;
        for (DWORD start = GetTickCount(); !synced && GetTickCount() - start < 3000;) {
            SendMessageW(edit, WM_CHAR, L'a', 0);
            SendMessageW(edit, WM_CHAR, VK_BACK, 0);
            synced = container.WaitForSync(0);
        }
        control.Reset();
        container.Deactivate();
        if (QueryInt("SELECT count(*) FROM channel WHERE visitors=-1") != 0)
            ++failed;
    }
    return failed;
}
