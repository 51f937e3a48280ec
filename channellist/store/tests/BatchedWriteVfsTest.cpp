#include <gtest/gtest.h>
#include <windows.h>

#include <sqlite3.h>

#include <string>

#include "channellist/store/BatchedWriteVfs.h"
#include "common/settings/tests/TempFolder.h"

namespace {

// What reaches the system's files under the batching VFS: the write calls to each database
// and journal, and on request a copy of both files taken right after a database write, as a
// process killed at that moment would leave them.
struct Recorder {
    int databaseWrites = 0;
    int journalWrites = 0;
    bool snapshotAfterDatabaseWrite = false;
    std::wstring databasePath;
    std::wstring snapshotPath;
    bool snapshotTaken = false;
};
Recorder recorder;

sqlite3_io_methods databaseMethods;
sqlite3_io_methods journalMethods;
int (*systemWrite)(sqlite3_file*, const void*, int, sqlite3_int64);

int RecordDatabaseWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    const int rc = systemWrite(file, data, amount, offset);
    ++recorder.databaseWrites;
    if (rc == SQLITE_OK && recorder.snapshotAfterDatabaseWrite && !recorder.snapshotTaken) {
        recorder.snapshotTaken =
            CopyFileW(recorder.databasePath.c_str(), recorder.snapshotPath.c_str(), FALSE) &&
            CopyFileW((recorder.databasePath + L"-journal").c_str(), (recorder.snapshotPath + L"-journal").c_str(),
                      FALSE);
    }
    return rc;
}

int RecordJournalWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    ++recorder.journalWrites;
    return systemWrite(file, data, amount, offset);
}

// The system's VFS with the write method of databases and journals swapped for a recording one.
int RecordingOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* system = static_cast<sqlite3_vfs*>(vfs->pAppData);
    const int rc = system->xOpen(system, name, file, flags, outFlags);
    if (rc != SQLITE_OK || !file->pMethods) return rc;
    if (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL)) {
        const bool database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
        sqlite3_io_methods& methods = database ? databaseMethods : journalMethods;
        methods = *file->pMethods;
        systemWrite = file->pMethods->xWrite;
        methods.xWrite = database ? RecordDatabaseWrite : RecordJournalWrite;
        file->pMethods = &methods;
    }
    return rc;
}

const char kBatched[] = "batched-over-recording";

void RegisterOnce() {
    static const bool registered = [] {
        static sqlite3_vfs recording = *sqlite3_vfs_find(nullptr);
        recording.zName = "recording";
        recording.pAppData = sqlite3_vfs_find(nullptr);
        recording.xOpen = RecordingOpen;
        return sqlite3_vfs_register(&recording, 0) == SQLITE_OK &&
               RegisterBatchedWriteVfs(kBatched, &recording) == SQLITE_OK;
    }();
    ASSERT_TRUE(registered);
}

std::string Utf8(const std::wstring& text) {
    std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0,
                                                                  nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    out.pop_back();
    return out;
}

void Exec(sqlite3* db, const char* sql) { ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, nullptr)) << sql; }

std::string QueryText(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW &&
        sqlite3_column_text(statement, 0))
        text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return text;
}

class BatchedWriteVfsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterOnce();
        recorder = Recorder();
        recorder.databasePath = folder_.path() + L"batched.db";
        recorder.snapshotPath = folder_.path() + L"killed.db";
        ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(Utf8(recorder.databasePath).c_str(), &db_,
                                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, kBatched));
        // A table of many pages, committed; the test then rewrites every row of it.
        Exec(db_, "CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT)");
        Exec(db_, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<20000) "
                  "INSERT INTO t SELECT i, printf('row %08d of the table before', i) FROM n");
        original_ = QueryText(db_, kChecksum);
        pages_ = std::stoi(QueryText(db_, "PRAGMA page_count"));
        recorder.databaseWrites = recorder.journalWrites = 0;
    }
    void TearDown() override { sqlite3_close(db_); }

    static constexpr const char* kChecksum = "SELECT count(*) || ':' || sum(length(v)) || ':' || max(v) FROM t";
    static constexpr const char* kRewrite = "UPDATE t SET v = printf('row %08d rewritten by the test', id)";

    TempFolder folder_;
    sqlite3* db_ = nullptr;
    std::string original_;
    int pages_ = 0;
};

TEST_F(BatchedWriteVfsTest, ATransactionRewritingEveryPageReachesTheFilesInFewWrites) {
    Exec(db_, kRewrite);
    EXPECT_EQ("20000", QueryText(db_, "SELECT count(*) FROM t WHERE v LIKE '% rewritten by the test'"));
    ASSERT_GT(pages_, 100);
    // Unbatched: three calls per journaled page and one per database page.
    EXPECT_GT(recorder.journalWrites, 0);
    EXPECT_LT(recorder.journalWrites + recorder.databaseWrites, pages_ / 10)
        << recorder.journalWrites << " journal and " << recorder.databaseWrites << " database writes for "
        << pages_ << " pages";
}

// Without syncs SQLite relies on the order of the writes alone: a process killed right after
// the first database write must leave a journal that restores every page that write changed.
TEST_F(BatchedWriteVfsTest, APageReachesTheDatabaseOnlyAfterItsOriginalReachedTheJournal) {
    Exec(db_, "PRAGMA synchronous=OFF");
    Exec(db_, "PRAGMA cache_size=10");  // spills pages to the file long before the commit
    recorder.snapshotAfterDatabaseWrite = true;
    Exec(db_, kRewrite);
    ASSERT_TRUE(recorder.snapshotTaken);

    sqlite3* killed = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open16(recorder.snapshotPath.c_str(), &killed));
    EXPECT_EQ("ok", QueryText(killed, "PRAGMA integrity_check"));
    EXPECT_EQ(original_, QueryText(killed, kChecksum));
    sqlite3_close(killed);
}

}  // namespace
