#include "channellist/store/tests/StoreTestSupport.h"

namespace {

using sqlite3x::command;
using sqlite3x::connection;
using sqlite3x::reader;

using ChannelDatabaseTest = StoreTest;

std::string TableSql(connection& db, const std::string& table, const char* master = "sqlite_master") {
    command query(db, "select sql from " + std::string(master) + " where name='" + table + "';");
    reader row(query);
    return row.read() ? row.get_text(0) : std::string();
}

std::vector<std::string> Names(const std::vector<ChannelRecord>& list) {
    std::vector<std::string> names;
    for (const ChannelRecord& record : list)
        names.push_back(record.name);
    return names;
}

TEST_F(ChannelDatabaseTest, DatabaseLivesInDataFolder) {
    EXPECT_EQ(appData_.path() + L"Vantel\\data\\cinfo.db", GetDatabasePath());
}

TEST_F(ChannelDatabaseTest, FreshDatabase) {
    EXPECT_EQ(1, CountCatalogs());
    CatalogRecord unknown;
    ASSERT_TRUE(GetCatalogAt(0, unknown));
    EXPECT_EQ(1, unknown.id);
    EXPECT_EQ("unknown", unknown.name);
    CatalogRecord none;
    EXPECT_FALSE(GetCatalogAt(1, none));
    EXPECT_EQ(0, none.id);
    EXPECT_EQ(0, CountChannels());
    EXPECT_EQ(0, SumVisitors());
    EXPECT_EQ(0, CountNewChannels());
    EXPECT_EQ(0, CountCatalogChannels(1));
    EXPECT_EQ(0, CountHistory());
    ChannelRecord channel;
    EXPECT_FALSE(GetNewChannelAt(0, channel));
    EXPECT_FALSE(GetHistoryChannelAt(0, channel));
    std::vector<ChannelRecord> found;
    EXPECT_TRUE(SearchChannels(L"", found));
    EXPECT_TRUE(found.empty());
}

TEST_F(ChannelDatabaseTest, SchemaAsStored) {
    connection db;
    db.open(GetDatabasePath());
    EnsureCatalogTable(db);
    EnsureCatalogTable(db);
    EnsureChannelTable(db);
    EnsureHistoryTable(db);
    RecreateUpdatesTable(db);
    EXPECT_EQ(
        "CREATE TABLE catalog(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE,"
        "ctime DATETIME,utime DATETIME,name TEXT)",
        TableSql(db, "catalog"));
    EXPECT_EQ(
        "CREATE TABLE channel(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE,"
        "ctime DATETIME,utime DATETIME,catalogid INTEGER NOT NULL,name TEXT,desc TEXT,"
        "url TEXT,channelid TEXT,type INTEGER,server TEXT,portno INTEGER DEFAULT 0,"
        "bitrate INTEGER DEFAULT 0,visitors INTEGER DEFAULT 0,hits INTEGER DEFAULT 0,"
        "del INTEGER DEFAULT 0)",
        TableSql(db, "channel"));
    EXPECT_EQ("CREATE TABLE history(utime DATETIME,id INTEGER UNIQUE)", TableSql(db, "history"));
    EXPECT_EQ(
        "CREATE TABLE updates(name TEXT,catalogid INTEGER NOT NULL,type INTEGER,desc TEXT,"
        "url TEXT,channelid TEXT,server TEXT,portno INTEGER DEFAULT 0,"
        "bitrate INTEGER DEFAULT 0,visitors INTEGER DEFAULT 0,hits INTEGER DEFAULT 0)",
        TableSql(db, "updates", "sqlite_temp_master"));
    // The "unknown" catalog comes only with the table.
    EXPECT_EQ(1, db.query_int("select count(*) from catalog;"));
    EXPECT_EQ(0, db.query_int("select count(*) from catalog where ctime is null or utime is null;"));
}

TEST_F(ChannelDatabaseTest, RecreateUpdatesTableReplacesStoredTable) {
    connection db;
    db.open(GetDatabasePath());
    db.exec("create table updates(x);");
    db.exec("insert into updates values(1);");
    RecreateUpdatesTable(db);
    EXPECT_EQ(0, db.query_int("select count(*) from sqlite_master where name='updates';"));
    EXPECT_EQ(0, db.query_int("select count(*) from updates;"));

    InsertUpdate(db, UpdateRecord{3, 1, "n", "d", "u", "global", 8, "c", 400, 5, 6});
    command query(db,
                  "select catalogid,type,name,desc,url,server,portno,channelid,bitrate,"
                  "visitors,hits from updates;");
    reader row(query);
    ASSERT_TRUE(row.read());
    EXPECT_EQ(3, row.get_int(0));
    EXPECT_EQ(1, row.get_int(1));
    EXPECT_EQ("n", row.get_text(2));
    EXPECT_EQ("d", row.get_text(3));
    EXPECT_EQ("u", row.get_text(4));
    EXPECT_EQ("global", row.get_text(5));
    EXPECT_EQ(8, row.get_int(6));
    EXPECT_EQ("c", row.get_text(7));
    EXPECT_EQ(400, row.get_int(8));
    EXPECT_EQ(5, row.get_int(9));
    EXPECT_EQ(6, row.get_int(10));
    row.close();

    // The table belongs to this connection only.
    connection other;
    other.open(GetDatabasePath());
    EXPECT_THROW(other.query_int("select count(*) from updates;"), sqlite3x::database_error);
}

TEST_F(ChannelDatabaseTest, CatalogsByName) {
    connection db;
    db.open(GetDatabasePath());
    EnsureCatalogTable(db);
    CatalogRecord catalog;
    EXPECT_FALSE(FindCatalogByName(db, nullptr, catalog));
    EXPECT_FALSE(FindCatalogByName(db, "\xe7\x94\xb5\xe5\xbd\xb1", catalog));
    InsertCatalog(db, "\xe7\x94\xb5\xe5\xbd\xb1");
    ASSERT_TRUE(FindCatalogByName(db, "\xe7\x94\xb5\xe5\xbd\xb1", catalog));
    EXPECT_EQ(2, catalog.id);
    EXPECT_EQ("\xe7\x94\xb5\xe5\xbd\xb1", catalog.name);
    // A name is matched whole, not as a pattern.
    EXPECT_FALSE(FindCatalogByName(db, "%", catalog));
    db.close();

    EXPECT_EQ(2, CountCatalogs());
    CatalogRecord second;
    ASSERT_TRUE(GetCatalogAt(1, second));
    EXPECT_EQ("\xe7\x94\xb5\xe5\xbd\xb1", second.name);
    EXPECT_FALSE(GetCatalogAt(2, second));
}

TEST_F(ChannelDatabaseTest, InsertUpdateAndReadChannel) {
    connection db;
    OpenDirect(db);
    ChannelRecord record;
    record.catalogid = 1;
    record.type = 1;
    record.name = "CCTV";
    record.desc = "news";
    record.url = "http://example.org/";
    record.server = "global";
    record.portno = 0;
    record.channelid = "abc";
    record.bitrate = 450;
    record.visitors = 12;
    record.hits = 0;
    EXPECT_FALSE(ChannelExists(db, "CCTV", "abc"));
    InsertChannel(db, record);
    EXPECT_TRUE(ChannelExists(db, "CCTV", "abc"));
    EXPECT_FALSE(ChannelExists(db, "CCTV", "abd"));
    EXPECT_FALSE(ChannelExists(db, "cctv", "abc"));

    // An update keeps ctime, refreshes the rest and shows a hidden channel again.
    db.exec("update channel set ctime='2000-01-01 00:00:00', del=1;");
    ChannelRecord changed = record;
    changed.catalogid = 2;
    changed.type = 0;
    changed.desc = "sport";
    changed.url = "u2";
    changed.server = "s2";
    changed.portno = 9;
    changed.bitrate = 800;
    changed.visitors = 30;
    changed.hits = 4;
    UpdateChannel(db, changed);
    EXPECT_EQ(1, db.query_int("select count(*) from channel where ctime='2000-01-01 00:00:00' "
                              "and del=0 and utime<>ctime;"));
    db.close();

    ChannelRecord read;
    ASSERT_TRUE(GetCatalogChannelAt(2, 0, read));
    EXPECT_EQ(1, read.id);
    EXPECT_EQ(2, read.catalogid);
    EXPECT_EQ(0, read.type);
    EXPECT_EQ("CCTV", read.name);
    EXPECT_EQ("sport", read.desc);
    EXPECT_EQ("u2", read.url);
    EXPECT_EQ("abc", read.channelid);
    EXPECT_EQ("s2", read.server);
    EXPECT_EQ(9, read.portno);
    EXPECT_EQ(800, read.bitrate);
    EXPECT_EQ(30, read.visitors);
    EXPECT_EQ(4, read.hits);
    EXPECT_EQ("", read.ctime);
    EXPECT_EQ("", read.utime);
}

TEST_F(ChannelDatabaseTest, CatalogChannelPages) {
    AddChannel("b", 1);
    AddChannel("a", 1);
    AddChannel("c", 2);
    AddChannel("z", 1);
    Exec("update channel set ctime='2020-01-02 00:00:00' where name='z';");
    Exec("update channel set ctime='2020-01-03 00:00:00' where name in ('a','b');");
    EXPECT_EQ(3, CountCatalogChannels(1));
    EXPECT_EQ(1, CountCatalogChannels(2));
    EXPECT_EQ(0, CountCatalogChannels(3));
    const char* expected[] = {"z", "a", "b"};
    for (int offset = 0; offset < 3; ++offset) {
        ChannelRecord record;
        ASSERT_TRUE(GetCatalogChannelAt(1, offset, record));
        EXPECT_EQ(expected[offset], record.name);
    }
    ChannelRecord record;
    EXPECT_FALSE(GetCatalogChannelAt(1, 3, record));
    EXPECT_EQ("", record.name);
}

TEST_F(ChannelDatabaseTest, NewChannelsAreYoungerThanThreeDays) {
    AddChannel("fresh");
    AddChannel("almost");
    AddChannel("old");
    AddChannel("older");
    Exec("update channel set ctime=datetime(julianday('now')-2.9) where name='almost';");
    Exec("update channel set ctime=datetime('now','-3 days') where name='old';");
    Exec("update channel set ctime=datetime('now','-10 days') where name='older';");
    Exec("update channel set ctime=datetime('now','-1 hours') where name='fresh';");
    EXPECT_EQ(2, CountNewChannels());
    ChannelRecord record;
    ASSERT_TRUE(GetNewChannelAt(0, record));
    EXPECT_EQ("fresh", record.name);
    ASSERT_TRUE(GetNewChannelAt(1, record));
    EXPECT_EQ("almost", record.name);
    EXPECT_FALSE(GetNewChannelAt(2, record));
    // Same age: by name.
    Exec("update channel set ctime=datetime('now','-1 hours') where name='almost';");
    ASSERT_TRUE(GetNewChannelAt(0, record));
    EXPECT_EQ("almost", record.name);
}

TEST_F(ChannelDatabaseTest, DeletedChannelsAreHiddenEverywhere) {
    const int shown = AddChannel("shown", 1, 5, "match");
    const int hidden = AddChannel("hidden", 1, 7, "match");
    ASSERT_TRUE(TouchHistory(hidden));
    ASSERT_TRUE(TouchHistory(shown));
    Exec("update history set utime=datetime('now','-1 hours') where id=" + std::to_string(shown) + ";");
    Exec("update channel set del=1 where name='hidden';");

    EXPECT_EQ(1, CountCatalogChannels(1));
    ChannelRecord record;
    ASSERT_TRUE(GetCatalogChannelAt(1, 0, record));
    EXPECT_EQ("shown", record.name);
    EXPECT_FALSE(GetCatalogChannelAt(1, 1, record));
    EXPECT_EQ(1, CountNewChannels());
    ASSERT_TRUE(GetNewChannelAt(0, record));
    EXPECT_EQ("shown", record.name);
    EXPECT_FALSE(GetNewChannelAt(1, record));
    EXPECT_EQ(5, SumVisitors());
    EXPECT_EQ(1, CountChannels());
    Exec("update channel set del=0;");
    EXPECT_EQ(12, SumVisitors());
    Exec("update channel set del=1 where name='hidden';");
    std::vector<ChannelRecord> found;
    ASSERT_TRUE(SearchChannels(L"match", found));
    EXPECT_EQ(std::vector<std::string>{"shown"}, Names(found));
    EXPECT_EQ(1, CountHistory());
    ASSERT_TRUE(GetHistoryChannelAt(0, record));
    EXPECT_EQ(shown, record.id);
    EXPECT_FALSE(GetHistoryChannelAt(1, record));

    connection db;
    OpenDirect(db);
    EXPECT_EQ(2, db.query_int("select count(*) from history;"));
}

TEST_F(ChannelDatabaseTest, SearchMatchesNameOrDescriptionInOrder) {
    AddChannel("Movie One", 1, 0, "");
    AddChannel("\xe9\xa2\x91\xe9\x81\x93", 1, 0, "a movie channel");
    AddChannel("News", 1, 0, "headlines");
    AddChannel("another movie", 1, 0, "");
    Exec("update channel set ctime='2020-01-01 00:00:00' where name='another movie';");

    std::vector<ChannelRecord> found;
    ASSERT_TRUE(SearchChannels(L"MOVIE", found));
    EXPECT_EQ((std::vector<std::string>{"another movie", "Movie One", "\xe9\xa2\x91\xe9\x81\x93"}), Names(found));

    // Appends to what the caller already holds.
    ASSERT_TRUE(SearchChannels(L"\x9891", found));
    ASSERT_EQ(4u, found.size());
    EXPECT_EQ("a movie channel", found[3].desc);
    EXPECT_EQ("id-\xe9\xa2\x91\xe9\x81\x93", found[3].channelid);

    found.clear();
    ASSERT_TRUE(SearchChannels(L"nothing like this", found));
    EXPECT_TRUE(found.empty());
    ASSERT_TRUE(SearchChannels(L"", found));
    EXPECT_EQ(4u, found.size());
}

TEST_F(ChannelDatabaseTest, SearchKeywordWildcardsAndQuotes) {
    AddChannel("ab");
    AddChannel("a_b");
    AddChannel("axb");
    AddChannel("it's");
    std::vector<ChannelRecord> found;
    ASSERT_TRUE(SearchChannels(L"a_b", found));  // "_" matches any one character
    EXPECT_EQ((std::vector<std::string>{"a_b", "axb"}), Names(found));
    found.clear();
    ASSERT_TRUE(SearchChannels(L"a%b", found));
    EXPECT_EQ(3u, found.size());  // "%" matches any run, also an empty one
    found.clear();
    ASSERT_TRUE(SearchChannels(L"'", found));
    EXPECT_EQ(std::vector<std::string>{"it's"}, Names(found));
}

TEST_F(ChannelDatabaseTest, HistoryMostRecentFirstWithoutDuplicates) {
    const int first = AddChannel("first");
    const int second = AddChannel("second");
    const int third = AddChannel("third");
    ASSERT_TRUE(TouchHistory(first));
    ASSERT_TRUE(TouchHistory(second));
    ASSERT_TRUE(TouchHistory(third));
    // CURRENT_TIMESTAMP has whole seconds; age the rows so that the order is clear.
    Exec("update history set utime=datetime('now','-3 minutes') where id=" + std::to_string(first) + ";");
    Exec("update history set utime=datetime('now','-2 minutes') where id=" + std::to_string(second) + ";");
    Exec("update history set utime=datetime('now','-1 minutes') where id=" + std::to_string(third) + ";");
    EXPECT_EQ(3, CountHistory());
    ChannelRecord record;
    ASSERT_TRUE(GetHistoryChannelAt(0, record));
    EXPECT_EQ("third", record.name);

    ASSERT_TRUE(TouchHistory(first));
    EXPECT_EQ(3, CountHistory());
    const char* expected[] = {"first", "third", "second"};
    for (int offset = 0; offset < 3; ++offset) {
        ASSERT_TRUE(GetHistoryChannelAt(offset, record));
        EXPECT_EQ(expected[offset], record.name);
    }
    EXPECT_FALSE(GetHistoryChannelAt(3, record));

    // A history row of a channel that is gone altogether is skipped too.
    ASSERT_TRUE(TouchHistory(9999));
    EXPECT_EQ(3, CountHistory());
}

TEST_F(ChannelDatabaseTest, HistoryWithoutChannelTableCountsNothing) {
    ASSERT_TRUE(TouchHistory(1));
    EXPECT_EQ(0, CountHistory());
    ChannelRecord record;
    EXPECT_FALSE(GetHistoryChannelAt(0, record));
    EXPECT_EQ(0, CountChannels());  // creates the channel table
    EXPECT_EQ(0, CountHistory());
}

}  // namespace
