#include "channellist/store/sqlite3x.h"

#include <gtest/gtest.h>

#include "framework/win/tests/TempFolder.h"

namespace {

using sqlite3x::command;
using sqlite3x::connection;
using sqlite3x::database_error;
using sqlite3x::reader;
using sqlite3x::transaction;

// Expects `statement` to throw E with exactly `message`.
template <typename E, typename F>
void ExpectThrowWithText(F statement, const std::string& message) {
    try {
        statement();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(message, e.what());
    }
}

class Sqlite3xTest : public ::testing::Test {
protected:
    void SetUp() override {
        db_.open(folder_.path() + L"layer.db");
        db_.exec("create table t(n INTEGER, s TEXT);");
    }
    int Count() { return db_.query_int("select count(*) from t;"); }

    TempFolder folder_;
    connection db_;
};

TEST_F(Sqlite3xTest, UnopenedConnection) {
    connection closed;
    EXPECT_EQ(nullptr, closed.handle());
    ExpectThrowWithText<database_error>([&] { closed.exec("select 1;"); }, "database is not open");
    ExpectThrowWithText<database_error>([&] { closed.query_int("select 1;"); }, "database is not open");
    ExpectThrowWithText<database_error>([&] { command c(closed, "select 1;"); }, "database is not open");
    closed.close();  // nothing to close
}

TEST_F(Sqlite3xTest, OpenFailureLeavesConnectionClosed) {
    connection db;
    ExpectThrowWithText<database_error>([&] { db.open(folder_.path() + L"no such folder\\x.db"); },
                                        "unable to open database");
    EXPECT_EQ(nullptr, db.handle());
}

// Names are ordered by their stored bytes: a file created as UTF-8 would put "Alpha" before
// CJK names that UTF-16 puts first.
TEST_F(Sqlite3xTest, NewFilesStoreTextAsUtf16AndExistingOnesKeepTheirs) {
    connection created;
    created.open(folder_.path() + L"new.db");
    created.exec("create table n(s TEXT);");
    EXPECT_EQ(1, created.query_int("select count(*) from pragma_encoding where encoding='UTF-16le'"));

    sqlite3* utf8 = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open16((folder_.path() + L"utf8.db").c_str(), &utf8));
    sqlite3_exec(utf8, "PRAGMA encoding='UTF-8'; create table n(s TEXT);", nullptr, nullptr, nullptr);
    sqlite3_close(utf8);
    connection existing;
    existing.open(folder_.path() + L"utf8.db");
    EXPECT_EQ(1, existing.query_int("select count(*) from pragma_encoding where encoding='UTF-8'"));
}

TEST_F(Sqlite3xTest, QueryInt) {
    ExpectThrowWithText<database_error>([&] { db_.query_int("select n from t;"); }, "nothing to read");
    EXPECT_EQ(0, db_.query_int("select NULL;"));
    EXPECT_EQ(0, db_.query_int("select sum(n) from t;"));
    EXPECT_EQ(-7, db_.query_int("select -7, 'x';"));
}

TEST_F(Sqlite3xTest, ErrorsCarrySqliteMessage) {
    try {
        db_.exec("selec 1;");
        ADD_FAILURE();
    } catch (const database_error& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("syntax error")) << e.what();
    }
    db_.exec("create unique index tn on t(n);");
    command insert(db_, "insert into t(n) values(?);");
    EXPECT_THROW(insert.bind_int(2, 1), database_error);
    EXPECT_THROW(insert.bind_text(0, "x"), database_error);
    EXPECT_THROW(insert.bind_text16(5, L"x"), database_error);
    insert.bind_int(1, 1);
    insert.exec();
    try {
        insert.exec();
        ADD_FAILURE();
    } catch (const database_error& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("UNIQUE")) << e.what();
    }
    EXPECT_EQ(1, Count());
    insert.bind_int(1, 2);
    insert.exec();  // usable again after the failure
    EXPECT_EQ(2, Count());
}

int g_calls = 0;
void CountCall(sqlite3_context* context, int, sqlite3_value**) {
    ++g_calls;
    sqlite3_result_int(context, g_calls);
}

TEST_F(Sqlite3xTest, ExecStopsAtFirstRow) {
    ASSERT_EQ(SQLITE_OK,
              sqlite3_create_function(db_.handle(), "counted", 0, SQLITE_UTF8, nullptr, CountCall, nullptr, nullptr));
    g_calls = 0;
    db_.exec("select counted() from (select 1 union all select 2 union all select 3);");
    EXPECT_EQ(1, g_calls);
    command query(db_, "select counted() from (select 1 union all select 2);");
    EXPECT_EQ(2, query.query_int());
    EXPECT_EQ(3, query.query_int());  // reset after each use, so it runs again
}

TEST_F(Sqlite3xTest, ColumnAccess) {
    db_.exec("insert into t values(42, NULL);");
    command query(db_, "select n, s from t;");
    reader row(query);
    ASSERT_TRUE(row.read());
    EXPECT_EQ(42, row.get_int(0));
    EXPECT_EQ("", row.get_text(1));
    EXPECT_EQ("42", row.get_text(0));
    EXPECT_EQ(0, row.get_int(1));
    ExpectThrowWithText<std::out_of_range>([&] { row.get_int(2); }, "index out of range");
    ExpectThrowWithText<std::out_of_range>([&] { row.get_text(2); }, "index out of range");
    ExpectThrowWithText<std::out_of_range>([&] { row.get_int(-1); }, "index out of range");
    EXPECT_FALSE(row.read());

    row.close();
    row.close();
    ExpectThrowWithText<database_error>([&] { row.read(); }, "reader is closed");
    ExpectThrowWithText<database_error>([&] { row.get_int(0); }, "reader is closed");
    ExpectThrowWithText<database_error>([&] { row.get_text(0); }, "reader is closed");
}

TEST_F(Sqlite3xTest, TextsKeepEveryByte) {
    const std::string withNul("a\0b", 3);
    const std::string utf8 = "\xe9\xa2\x91\xe9\x81\x93";  // two Chinese characters
    command insert(db_, "insert into t(n, s) values(?, ?);");
    insert.bind_int(1, 1);
    insert.bind_text(2, withNul);
    insert.exec();
    insert.bind_int(1, 2);
    insert.bind_text16(2, L"\x9891\x9053");
    insert.exec();
    insert.bind_int(1, 3);
    insert.bind_text(2, "");
    insert.exec();

    command query(db_, "select s from t order by n;");
    reader row(query);
    ASSERT_TRUE(row.read());
    EXPECT_EQ(withNul, row.get_text(0));
    ASSERT_TRUE(row.read());
    EXPECT_EQ(utf8, row.get_text(0));
    ASSERT_TRUE(row.read());
    EXPECT_EQ("", row.get_text(0));
    row.close();
    // An empty text is a text, not NULL.
    EXPECT_EQ(1, db_.query_int("select count(*) from t where s = '';"));
}

TEST_F(Sqlite3xTest, WideStatement) {
    db_.exec(
        "insert into t values(1, '\xe9\xa2\x91\xe9\x81\x93"
        "abc');");
    command search(db_, std::wstring(L"SELECT n FROM t WHERE s LIKE ?"));
    search.bind_text16(1,
                       L"%\x9053"
                       L"A%");
    EXPECT_EQ(1, search.query_int());
}

TEST_F(Sqlite3xTest, StatementResetsWhenLastReaderCloses) {
    db_.exec("insert into t(n) values(1),(2),(3);");
    command query(db_, "select n from t order by n;");
    reader first(query);
    ASSERT_TRUE(first.read());
    EXPECT_EQ(1, first.get_int(0));
    {
        reader second(query);  // shares the running statement
        ASSERT_TRUE(second.read());
        EXPECT_EQ(2, second.get_int(0));
    }
    ASSERT_TRUE(first.read());
    EXPECT_EQ(3, first.get_int(0));
    first.close();
    reader again(query);
    ASSERT_TRUE(again.read());
    EXPECT_EQ(1, again.get_int(0));
}

TEST_F(Sqlite3xTest, CloseFailsWhileStatementLives) {
    {
        command pending(db_, "select 1;");
        EXPECT_THROW(db_.close(), database_error);
        EXPECT_NE(nullptr, db_.handle());
    }
    db_.close();
    EXPECT_EQ(nullptr, db_.handle());
    db_.close();
}

TEST_F(Sqlite3xTest, TransactionCommitsOrRollsBack) {
    {
        transaction kept(db_);
        kept.begin();
        db_.exec("insert into t(n) values(1);");
        kept.commit();
    }
    EXPECT_EQ(1, Count());
    {
        transaction dropped(db_);
        dropped.begin();
        db_.exec("insert into t(n) values(2);");
    }
    EXPECT_EQ(1, Count());
    // The connection is usable afterwards: no transaction is left open.
    db_.exec("begin;");
    db_.exec("commit;");
    {
        transaction unused(db_);  // never begun: no rollback issued
        db_.exec("begin;");
    }
    db_.exec("commit;");
}

TEST_F(Sqlite3xTest, FailingRollbackIsSwallowed) {
    {
        transaction guard(db_);
        guard.begin();
        db_.exec("insert into t(n) values(1);");
        db_.exec("commit;");  // "rollback;" will find no transaction
    }
    EXPECT_EQ(1, Count());
    {
        connection other;
        other.open(folder_.path() + L"layer.db");
        transaction guard(other);
        guard.begin();
        other.exec("insert into t(n) values(2);");
        other.close();  // closing rolls back; the guard's rollback then finds no connection
    }
    EXPECT_EQ(1, Count());
}

TEST_F(Sqlite3xTest, FailedCommitRollsBack) {
    db_.exec("insert into t(n) values(1),(2);");
    connection writer;
    writer.open(folder_.path() + L"layer.db");
    {
        // A reader in the middle of its rows keeps a shared lock on the file.
        command query(db_, "select n from t;");
        reader row(query);
        ASSERT_TRUE(row.read());

        transaction guard(writer);
        guard.begin();
        writer.exec("insert into t(n) values(3);");
        EXPECT_THROW(guard.commit(), database_error);
    }
    EXPECT_EQ(2, Count());
    writer.exec("insert into t(n) values(4);");  // not left inside a transaction
    EXPECT_EQ(3, Count());
}

}  // namespace
