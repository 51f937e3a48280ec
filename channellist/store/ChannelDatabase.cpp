#include "channellist/store/ChannelDatabase.h"

#include <windows.h>

#include <exception>

#include "common/settings/AppPaths.h"

using sqlite3x::command;
using sqlite3x::connection;
using sqlite3x::reader;

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

// Opens the database file for one store operation.
void Open(connection& db) {
    db.open(GetDatabasePath());
}

// A single number from a query over the channel table.
int QueryChannelInt(const char* sql) {
    try {
        connection db;
        Open(db);
        EnsureChannelTable(db);
        const int count = db.query_int(sql);
        db.close();
        return count;
    } catch (const std::exception&) {
        return 0;
    }
}

// Runs a channel query whose parameters `bind` sets and reads its first row.
template <typename Bind>
bool ReadFirstChannel(const char* sql, Bind bind, ChannelRecord& out) {
    try {
        connection db;
        Open(db);
        EnsureChannelTable(db);
        bool found = false;
        {
            command query(db, sql);
            bind(query);
            reader row(query);
            ChannelRecord record;
            if (row.read()) {
                ReadChannelRow(row, record);
                out = record;
                found = true;
            }
        }
        db.close();
        return found;
    } catch (const std::exception&) {
        return false;
    }
}

void TouchHistoryRow(connection& db, int channelId) {
    command count(db, "select count(*) from history where id=?;");
    count.bind_int(1, channelId);
    const char* sql = count.query_int() != 0
                          ? "UPDATE history SET utime=CURRENT_TIMESTAMP where id=?"
                          : "insert into history (utime,id) values(CURRENT_TIMESTAMP,?);";
    command touch(db, sql);
    touch.bind_int(1, channelId);
    touch.exec();
}

}  // namespace

std::wstring GetDatabasePath() {
    return CAppPaths::Data() + L"cinfo.db";
}

void EnsureCatalogTable(connection& db) {
    if (db.query_int("select count(*) from sqlite_master where name='catalog';") != 0)
        return;
    db.exec(kCreateCatalog);
    db.exec("insert into catalog (ctime,utime,name) "
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

bool FindCatalogByName(connection& db, const char* name, CatalogRecord& out) {
    if (!name)
        return false;
    command find(db, "SELECT id,name FROM catalog WHERE name=?;");
    find.bind_text(1, name);
    reader row(find);
    if (!row.read())
        return false;
    out.id = row.get_int(0);
    out.name = row.get_text(1);
    return true;
}

namespace {

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

}  // namespace

void InsertCatalog(connection& db, const std::string& name) {
    command insert(db, "insert into catalog (ctime,utime,name) "
                                   "values(CURRENT_TIMESTAMP,CURRENT_TIMESTAMP,?);");
    insert.bind_text(1, name);
    insert.exec();
}

void InsertUpdate(connection& db, const UpdateRecord& record) {
    command insert(db, "insert into updates(catalogid,name,desc,url,channelid,type,"
                                   "server,portno,bitrate,visitors,hits) "
                                   "values(?,?,?,?,?,?,?,?,?,?,?);");
    BindChannelColumns(insert, record);
    insert.exec();
}

bool ChannelExists(connection& db, const std::string& name, const std::string& channelid) {
    command count(db, "select count(*) from channel where name=? and channelid=?");
    count.bind_text(1, name);
    count.bind_text(2, channelid);
    return count.query_int() != 0;
}

void InsertChannel(connection& db, const ChannelRecord& record) {
    command insert(db, "insert into channel(ctime,utime,catalogid,name,desc,url,"
                                   "channelid,type,server,portno,bitrate,visitors,hits) "
                                   "values(CURRENT_TIMESTAMP,CURRENT_TIMESTAMP,"
                                   "?,?,?,?,?,?,?,?,?,?,?);");
    BindChannelColumns(insert, record);
    insert.exec();
}

void UpdateChannel(connection& db, const ChannelRecord& record) {
    command update(db, "UPDATE channel SET utime=CURRENT_TIMESTAMP,catalogid=?,desc=?,"
                                   "url=?,type=?,server=?,portno=?,bitrate=?,visitors=?,hits=?,"
                                   "del=0 WHERE name=? AND channelid=?");
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
    try {
        connection db;
        Open(db);
        EnsureCatalogTable(db);
        const int count = db.query_int("SELECT count(*) FROM catalog;");
        db.close();
        return count;
    } catch (const std::exception&) {
        return 0;
    }
}

bool GetCatalogAt(int offset, CatalogRecord& out) {
    try {
        connection db;
        Open(db);
        EnsureCatalogTable(db);
        bool found = false;
        {
            command page(db, "SELECT id,name FROM catalog ORDER BY ctime limit 1 offset ?;");
            page.bind_int(1, offset);
            reader row(page);
            if (row.read()) {
                CatalogRecord record;
                record.id = row.get_int(0);
                record.name = row.get_text(1);
                out = record;
                found = true;
            }
        }
        db.close();
        return found;
    } catch (const std::exception&) {
        return false;
    }
}

int CountCatalogChannels(int catalogId) {
    try {
        connection db;
        Open(db);
        EnsureChannelTable(db);
        int count = 0;
        {
            command query(db, "SELECT count(*) FROM channel WHERE catalogid=? AND del<>1");
            query.bind_int(1, catalogId);
            count = query.query_int();
        }
        db.close();
        return count;
    } catch (const std::exception&) {
        return 0;
    }
}

bool GetCatalogChannelAt(int catalogId, int offset, ChannelRecord& out) {
    return ReadFirstChannel(
        "SELECT id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits "
        "FROM channel WHERE catalogid=? AND del<>1 "
        "ORDER BY ctime,name limit 1 offset ?;",
        [=](command& query) {
            query.bind_int(1, catalogId);
            query.bind_int(2, offset);
        },
        out);
}

int CountNewChannels() {
    return QueryChannelInt(
        "SELECT count(*) FROM channel WHERE del<>1 AND (julianday('now')-julianday(ctime))<3;");
}

bool GetNewChannelAt(int offset, ChannelRecord& out) {
    return ReadFirstChannel(
        "SELECT id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits "
        "FROM channel WHERE del<>1 AND "
        "(julianday('now')-julianday(ctime))<3 order by ctime desc,name asc limit 10 offset ?;",
        [=](command& query) { query.bind_int(1, offset); }, out);
}

int SumVisitors() {
    return QueryChannelInt(
        "SELECT sum(visitors) FROM channel WHERE id IN (SELECT id FROM channel WHERE del<>1)");
}

int CountChannels() {
    return QueryChannelInt("SELECT count(*) FROM channel WHERE del<>1");
}

bool SearchChannels(const std::wstring& keyword, std::vector<ChannelRecord>& list) {
    try {
        connection db;
        Open(db);
        EnsureChannelTable(db);
        {
            command search(db, std::wstring(L"SELECT id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits "
                                            L"FROM channel WHERE "
                                            L"(name LIKE ? OR desc LIKE ?) AND del<>1 "
                                            L"ORDER BY ctime,name"));
            const std::wstring pattern = L"%%" + keyword + L"%%";
            search.bind_text16(1, pattern);
            search.bind_text16(2, pattern);
            reader row(search);
            while (row.read()) {
                ChannelRecord record;
                ReadChannelRow(row, record);
                list.push_back(record);
            }
        }
        db.close();
        return true;
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
        return false;
    }
}

bool TouchHistory(int channelId) {
    try {
        connection db;
        Open(db);
        {
            sqlite3x::transaction touch(db);
            touch.begin();
            EnsureHistoryTable(db);
            TouchHistoryRow(db, channelId);
            touch.commit();
        }
        db.close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int CountHistory() {
    try {
        connection db;
        Open(db);
        EnsureHistoryTable(db);
        const int count = db.query_int(
            "SELECT COUNT(*) FROM history WHERE id IN (SELECT id FROM channel WHERE del<>1)");
        db.close();
        return count;
    } catch (const std::exception&) {
        return 0;
    }
}

bool GetHistoryChannelAt(int offset, ChannelRecord& out) {
    try {
        connection db;
        Open(db);
        EnsureHistoryTable(db);
        bool found = false;
        {
            command page(db, "SELECT id FROM history WHERE id IN (SELECT id FROM channel "
                                         "WHERE del<>1) ORDER BY utime desc LIMIT 1 OFFSET ?");
            page.bind_int(1, offset);
            reader historyRow(page);
            if (historyRow.read()) {
                command channel(db, "SELECT id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits "
                                    "FROM channel WHERE id=?");
                channel.bind_int(1, historyRow.get_int(0));
                reader channelRow(channel);
                ChannelRecord record;
                if (channelRow.read()) {
                    ReadChannelRow(channelRow, record);
                    out = record;
                    found = true;
                }
            }
        }
        db.close();
        return found;
    } catch (const std::exception&) {
        return false;
    }
}
