#include <gtest/gtest.h>
#include <windows.h>

#include <sqlite3.h>

#include <string>

#include "channellist/store/BatchedWriteVfs.h"
#include "framework/win/tests/TempFolder.h"

namespace {

// What reaches the system's files under the batching VFS: the write calls to each database
// and journal, and on request a copy of both files taken right after a database write, as a
// process killed at that moment would leave them. On request the Nth write or sync of either
// file fails, as a full or failing disk would.
struct Recorder {
    int databaseWrites = 0;
    int journalWrites = 0;
    int syncs = 0;
    int failWrite = 0;  // 1-based over the writes of both files; 0: none fails
    int failSync = 0;
    int writeFailure = SQLITE_FULL;
    bool snapshotAfterDatabaseWrite = false;
    std::wstring databasePath;
    std::wstring snapshotPath;
    bool snapshotTaken = false;
};
Recorder recorder;

sqlite3_io_methods databaseMethods;
sqlite3_io_methods journalMethods;
int (*systemWrite)(sqlite3_file*, const void*, int, sqlite3_int64);
int (*systemSync)(sqlite3_file*, int);

bool WriteFails() { return recorder.databaseWrites + recorder.journalWrites == recorder.failWrite; }

int RecordDatabaseWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    ++recorder.databaseWrites;
    if (WriteFails())
        return recorder.writeFailure;
    const int rc = systemWrite(file, data, amount, offset);
    if (rc == SQLITE_OK && recorder.snapshotAfterDatabaseWrite && !recorder.snapshotTaken) {
        recorder.snapshotTaken = CopyFileW(recorder.databasePath.c_str(), recorder.snapshotPath.c_str(), FALSE) &&
                                 CopyFileW((recorder.databasePath + L"-journal").c_str(),
                                           (recorder.snapshotPath + L"-journal").c_str(), FALSE);
    }
    return rc;
}

int RecordJournalWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    ++recorder.journalWrites;
    if (WriteFails())
        return recorder.writeFailure;
    return systemWrite(file, data, amount, offset);
}

int RecordSync(sqlite3_file* file, int flags) {
    if (++recorder.syncs == recorder.failSync)
        return SQLITE_IOERR_FSYNC;
    return systemSync(file, flags);
}

// The system's VFS with the write method of databases and journals swapped for a recording one.
int RecordingOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* system = static_cast<sqlite3_vfs*>(vfs->pAppData);
    const int rc = system->xOpen(system, name, file, flags, outFlags);
    if (rc != SQLITE_OK || !file->pMethods)
        return rc;
    if (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL)) {
        const bool database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
        sqlite3_io_methods& methods = database ? databaseMethods : journalMethods;
        methods = *file->pMethods;
        systemWrite = file->pMethods->xWrite;
        systemSync = file->pMethods->xSync;
        methods.xWrite = database ? RecordDatabaseWrite : RecordJournalWrite;
        methods.xSync = RecordSync;
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
    std::string out(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    out.pop_back();
    return out;
}

void Exec(sqlite3* db, const char* sql) {
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, nullptr)) << sql;
}

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
        Exec(db_,
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<20000) "
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
        << recorder.journalWrites << " journal and " << recorder.databaseWrites << " database writes for " << pages_
        << " pages";
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

// Under a cache of a few pages SQLite hands a transaction's pages to the files long before its
// commit, and tells the database how large it grows. Whichever write or sync fails below the
// gathering, the transaction must fail, and the file must come back with its old rows.
TEST_F(BatchedWriteVfsTest, AFailedWriteOrSyncFailsTheChangeAndTheFileKeepsItsOldRows) {
    // A tenth of the table keeps the runs short: one for each write and sync there is to fail.
    Exec(db_, "DELETE FROM t WHERE id > 2000");
    Exec(db_, "VACUUM");
    original_ = QueryText(db_, kChecksum);
    sqlite3_close(db_);
    db_ = nullptr;
    // Rows rewritten in place (journaled pages) and appended (the file grows), in one transaction.
    const std::string change = std::string("BEGIN;") + kRewrite +
                               ";WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<4000) "
                               "INSERT INTO t SELECT 100000+i, printf('row %08d appended by the test', i) FROM n;"
                               "COMMIT";
    const std::wstring before = folder_.path() + L"before.db";
    ASSERT_TRUE(CopyFileW(recorder.databasePath.c_str(), before.c_str(), FALSE));
    const auto run = [&] {
        recorder.databaseWrites = recorder.journalWrites = recorder.syncs = 0;
        CopyFileW(before.c_str(), recorder.databasePath.c_str(), FALSE);
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(Utf8(recorder.databasePath).c_str(), &db, SQLITE_OPEN_READWRITE, kBatched);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "PRAGMA cache_size=10", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, change.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return rc;
    };
    // What SQLite finds in the file afterwards, the journal rolled back.
    const auto expectOldRows = [&](const char* failed, int n) {
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open16(recorder.databasePath.c_str(), &db));
        EXPECT_EQ("ok", QueryText(db, "PRAGMA integrity_check")) << failed << " " << n;
        EXPECT_EQ(original_, QueryText(db, kChecksum)) << failed << " " << n;
        sqlite3_close(db);
    };
    ASSERT_EQ(SQLITE_OK, run());
    const int writes = recorder.databaseWrites + recorder.journalWrites, syncs = recorder.syncs;
    ASSERT_GT(recorder.databaseWrites, 1);

    for (int n = 1; n <= writes; ++n) {
        recorder.failWrite = n;
        recorder.writeFailure = n % 2 ? SQLITE_FULL : SQLITE_IOERR_WRITE;
        EXPECT_NE(SQLITE_OK, run()) << "write " << n << " failed";
        recorder.failWrite = 0;
        expectOldRows("write", n);
    }
    for (int n = 1; n <= syncs; ++n) {
        recorder.failSync = n;
        EXPECT_NE(SQLITE_OK, run()) << "sync " << n << " failed";
        recorder.failSync = 0;
        expectOldRows("sync", n);
    }
}

}  // namespace
