#include "channellist/store/ChannelDatabase.h"

#include "channellist/store/StoreAccess.h"
#include "common/settings/AppPaths.h"

using sqlite3x::command;
using sqlite3x::connection;
using sqlite3x::reader;
using namespace StoreAccess;

namespace {

const char kCreateCatalog[] =
    "CREATE TABLE IF NOT EXISTS catalog(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE,"
    "ctime DATETIME,utime DATETIME,name TEXT);";
const char kCreateChannel[] =
    "CREATE TABLE IF NOT EXISTS channel(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE,"
    "ctime DATETIME,utime DATETIME,catalogid INTEGER NOT NULL,name TEXT,desc TEXT,url TEXT,"
    "channelid TEXT,type INTEGER,server TEXT,portno INTEGER DEFAULT 0,bitrate INTEGER DEFAULT 0,"
    "visitors INTEGER DEFAULT 0,hits INTEGER DEFAULT 0,del INTEGER DEFAULT 0);";
const char kCreateHistory[] = "CREATE TABLE IF NOT EXISTS history(utime DATETIME,id INTEGER UNIQUE);";
const char kCreateUpdates[] =
    "CREATE TEMP TABLE IF NOT EXISTS updates(name TEXT,catalogid INTEGER NOT NULL,type INTEGER,"
    "desc TEXT,url TEXT,channelid TEXT,server TEXT,portno INTEGER DEFAULT 0,"
    "bitrate INTEGER DEFAULT 0,visitors INTEGER DEFAULT 0,hits INTEGER DEFAULT 0);";

// A single number from a query over the channel table.
int QueryChannelInt(const std::string& sql) {
    return WithStore(0, {EnsureChannelTable}, [&](connection& db) { return db.query_int(sql); });
}

// Reads the first row of a channel query into `out`; false, and `out` untouched, without one.
bool ReadFirstChannelRow(command& query, ChannelRecord& out) {
    reader row(query);
    if (!row.read())
        return false;
    ChannelRecord record;
    ReadChannelRow(row, record);
    out = record;
    return true;
}

// Runs a channel query whose parameters `bind` sets and reads its first row.
template <typename Bind>
bool ReadFirstChannel(const std::string& sql, Bind bind, ChannelRecord& out) {
    return WithStore(false, {EnsureChannelTable}, [&](connection& db) {
        command query(db, sql);
        bind(query);
        return ReadFirstChannelRow(query, out);
    });
}

void TouchHistoryRow(connection& db, int channelId) {
    command count(db, "select count(*) from history where id=?;");
    count.bind_int(1, channelId);
    const char* sql = count.query_int() != 0 ? "UPDATE history SET utime=CURRENT_TIMESTAMP where id=?"
                                             : "insert into history (utime,id) values(CURRENT_TIMESTAMP,?);";
    command touch(db, sql);
    touch.bind_int(1, channelId);
    touch.exec();
}

}  // namespace

std::wstring GetDatabasePath() { return CAppPaths::Data() + L"cinfo.db"; }

void EnsureCatalogTable(connection& db) {
    if (db.query_int("select count(*) from sqlite_master where name='catalog';") != 0)
        return;
    db.exec(kCreateCatalog);
    db.exec(
        "insert into catalog (ctime,utime,name) "
        "values(CURRENT_TIMESTAMP,CURRENT_TIMESTAMP,'unknown');");
}

void EnsureChannelTable(connection& db) {
    if (db.query_int("select count(*) from sqlite_master where name='channel';") == 0)
        db.exec(kCreateChannel);
}

void EnsureHistoryTable(connection& db) {
    if (db.query_int("select count(*) from sqlite_master where name='history';") == 0)
        db.exec(kCreateHistory);
}

void RecreateUpdatesTable(connection& db) {
    if (db.query_int("select count(*) from sqlite_master where name='updates';") != 0)
        db.exec("DROP TABLE IF EXISTS updates");
    db.exec(kCreateUpdates);
}

namespace {

const char kFindCatalog[] = "SELECT id,name FROM catalog WHERE name=?;";
const char kInsertCatalog[] = "insert into catalog (ctime,utime,name) values(CURRENT_TIMESTAMP,CURRENT_TIMESTAMP,?);";
const char kInsertUpdate[] =
    "insert into updates(catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits) "
    "values(?,?,?,?,?,?,?,?,?,?,?);";
const char kChannelExists[] = "select count(*) from channel where name=? and channelid=?";
const char kInsertChannel[] =
    "insert into channel(ctime,utime,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits) "
    "values(CURRENT_TIMESTAMP,CURRENT_TIMESTAMP,?,?,?,?,?,?,?,?,?,?,?);";
const char kUpdateChannel[] =
    "UPDATE channel SET utime=CURRENT_TIMESTAMP,catalogid=?,desc=?,url=?,type=?,server=?,portno=?,bitrate=?,"
    "visitors=?,hits=?,del=0 WHERE name=? AND channelid=?";

// Binds placeholders 1 to 11 in the column order both channel inserts use:
// catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits.
template <class Record>
void BindChannelColumns(command& statement, const Record& record) {
    statement.bind_int(1, record.catalogid);
    statement.bind_text(2, record.name);
    statement.bind_text(3, record.desc);
    statement.bind_text(4, record.url);
    statement.bind_text(5, record.channelid);
    statement.bind_int(6, record.type);
    statement.bind_text(7, record.server);
    statement.bind_int(8, record.portno);
    statement.bind_int(9, record.bitrate);
    statement.bind_int(10, record.visitors);
    statement.bind_int(11, record.hits);
}

// The steps below run a statement prepared from the matching text above, freshly or again.

bool RunFindCatalog(command& find, const char* name, CatalogRecord& out) {
    if (!name)
        return false;
    find.bind_text(1, name);
    reader row(find);
    if (!row.read())
        return false;
    out.id = row.get_int(0);
    out.name = row.get_text(1);
    return true;
}

void RunInsertCatalog(command& insert, const std::string& name) {
    insert.bind_text(1, name);
    insert.exec();
}

void RunInsertUpdate(command& insert, const UpdateRecord& record) {
    BindChannelColumns(insert, record);
    insert.exec();
}

bool RunChannelExists(command& count, const std::string& name, const std::string& channelid) {
    count.bind_text(1, name);
    count.bind_text(2, channelid);
    return count.query_int() != 0;
}

void RunInsertChannel(command& insert, const ChannelRecord& record) {
    BindChannelColumns(insert, record);
    insert.exec();
}

void RunUpdateChannel(command& update, const ChannelRecord& record) {
    update.bind_int(1, record.catalogid);
    update.bind_text(2, record.desc);
    update.bind_text(3, record.url);
    update.bind_int(4, record.type);
    update.bind_text(5, record.server);
    update.bind_int(6, record.portno);
    update.bind_int(7, record.bitrate);
    update.bind_int(8, record.visitors);
    update.bind_int(9, record.hits);
    update.bind_text(10, record.name);
    update.bind_text(11, record.channelid);
    update.exec();
}

}  // namespace

bool FindCatalogByName(connection& db, const char* name, CatalogRecord& out) {
    if (!name)
        return false;
    command find(db, kFindCatalog);
    return RunFindCatalog(find, name, out);
}

void InsertCatalog(connection& db, const std::string& name) {
    command insert(db, kInsertCatalog);
    RunInsertCatalog(insert, name);
}

void InsertUpdate(connection& db, const UpdateRecord& record) {
    command insert(db, kInsertUpdate);
    RunInsertUpdate(insert, record);
}

bool ChannelExists(connection& db, const std::string& name, const std::string& channelid) {
    command count(db, kChannelExists);
    return RunChannelExists(count, name, channelid);
}

void InsertChannel(connection& db, const ChannelRecord& record) {
    command insert(db, kInsertChannel);
    RunInsertChannel(insert, record);
}

void UpdateChannel(connection& db, const ChannelRecord& record) {
    command update(db, kUpdateChannel);
    RunUpdateChannel(update, record);
}

MergeStatements::MergeStatements(connection& db)
    : findCatalog_(db, kFindCatalog),
      insertCatalog_(db, kInsertCatalog),
      insertUpdate_(db, kInsertUpdate),
      channelExists_(db, kChannelExists),
      insertChannel_(db, kInsertChannel),
      updateChannel_(db, kUpdateChannel) {}

bool MergeStatements::FindCatalogByName(const char* name, CatalogRecord& out) {
    return RunFindCatalog(findCatalog_, name, out);
}

void MergeStatements::InsertCatalog(const std::string& name) { RunInsertCatalog(insertCatalog_, name); }

void MergeStatements::InsertUpdate(const UpdateRecord& record) { RunInsertUpdate(insertUpdate_, record); }

bool MergeStatements::ChannelExists(const std::string& name, const std::string& channelid) {
    return RunChannelExists(channelExists_, name, channelid);
}

void MergeStatements::InsertChannel(const ChannelRecord& record) { RunInsertChannel(insertChannel_, record); }

void MergeStatements::UpdateChannel(const ChannelRecord& record) { RunUpdateChannel(updateChannel_, record); }

void ReadChannelRow(reader& row, ChannelRecord& out) {
    out.id = row.get_int(0);
    out.catalogid = row.get_int(1);
    out.name = row.get_text(2);
    out.desc = row.get_text(3);
    out.url = row.get_text(4);
    out.channelid = row.get_text(5);
    out.type = row.get_int(6);
    out.server = row.get_text(7);
    out.portno = row.get_int(8);
    out.bitrate = row.get_int(9);
    out.visitors = row.get_int(10);
    out.hits = row.get_int(11);
}

int CountCatalogs() {
    return WithStore(0, {EnsureCatalogTable},
                     [](connection& db) { return db.query_int("SELECT count(*) FROM catalog;"); });
}

bool GetCatalogAt(int offset, CatalogRecord& out) {
    return WithStore(false, {EnsureCatalogTable}, [&](connection& db) {
        command page(db, kCatalogsInOrder + " limit 1 offset ?;");
        page.bind_int(1, offset);
        reader row(page);
        if (!row.read())
            return false;
        CatalogRecord record;
        record.id = row.get_int(0);
        record.name = row.get_text(1);
        out = record;
        return true;
    });
}

int CountCatalogChannels(int catalogId) {
    return WithStore(0, {EnsureChannelTable}, [&](connection& db) {
        command query(db, "SELECT count(*) FROM channel WHERE catalogid=? AND del<>1");
        query.bind_int(1, catalogId);
        return query.query_int();
    });
}

bool GetCatalogChannelAt(int catalogId, int offset, ChannelRecord& out) {
    return ReadFirstChannel(
        kCatalogChannelsInOrder + " limit 1 offset ?;",
        [=](command& query) {
            query.bind_int(1, catalogId);
            query.bind_int(2, offset);
        },
        out);
}

int CountNewChannels() {
    return QueryChannelInt("SELECT count(*) FROM channel WHERE del<>1 AND (julianday('now')-julianday(ctime))<3;");
}

bool GetNewChannelAt(int offset, ChannelRecord& out) {
    return ReadFirstChannel(
        kNewChannelsInOrder + " limit 10 offset ?;", [=](command& query) { query.bind_int(1, offset); }, out);
}

int SumVisitors() {
    return QueryChannelInt("SELECT sum(visitors) FROM channel WHERE id IN (SELECT id FROM channel WHERE del<>1)");
}

int CountChannels() { return QueryChannelInt("SELECT count(*) FROM channel WHERE del<>1"); }

bool SearchChannels(const std::wstring& keyword, std::vector<ChannelRecord>& list) {
    // The column list is ASCII, so widening it char by char is exact.
    const std::wstring sql = L"SELECT " + std::wstring(kChannelColumns.begin(), kChannelColumns.end()) +
                             L" FROM channel WHERE (name LIKE ? OR desc LIKE ?) AND del<>1 ORDER BY ctime,name";
    return WithStore(false, {EnsureChannelTable}, [&](connection& db) {
        command search(db, sql);
        const std::wstring pattern = L"%%" + keyword + L"%%";
        search.bind_text16(1, pattern);
        search.bind_text16(2, pattern);
        reader row(search);
        while (row.read()) {
            ChannelRecord record;
            ReadChannelRow(row, record);
            list.push_back(record);
        }
        return true;
    });
}

bool TouchHistory(int channelId) {
    return WithStoreTransaction(false, {EnsureHistoryTable}, [&](connection& db) {
        TouchHistoryRow(db, channelId);
        return true;
    });
}

int CountHistory() {
    return WithStore(0, {EnsureHistoryTable}, [](connection& db) {
        return db.query_int("SELECT COUNT(*) FROM history WHERE id IN (SELECT id FROM channel WHERE del<>1)");
    });
}

bool GetHistoryChannelAt(int offset, ChannelRecord& out) {
    return WithStore(false, {EnsureHistoryTable}, [&](connection& db) {
        command page(db,
                     "SELECT id FROM history WHERE id IN (SELECT id FROM channel "
                     "WHERE del<>1) ORDER BY utime desc LIMIT 1 OFFSET ?");
        page.bind_int(1, offset);
        reader historyRow(page);
        if (!historyRow.read())
            return false;
        command channel(db, "SELECT " + kChannelColumns + " FROM channel WHERE id=?");
        channel.bind_int(1, historyRow.get_int(0));
        return ReadFirstChannelRow(channel, out);
    });
}
