// Times the channel list synchronisation for generated catalogues of 1,000, 10,000
// and 100,000 channels in 100 catalogs, into a fresh and into an already-filled
// database, against the floor: the same rows inserted through raw SQLite with one
// prepared statement in one transaction (medians of interleaved rounds). Also times the engine substitute serving
// a 100,000-line catalogue file, and the whole-list reads of 1,000, 10,000 and 50,000
// channels against the floor of reading the same rows through raw SQLite.
//
// Usage: bench_sync [largest channel count] [largest list-read count]

#include <windows.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ChannelSync.h"
#include "channellist/store/ListReads.h"
#include "common/settings/AppPaths.h"

using namespace Bench;

namespace {

bool Check(int result, sqlite3* db, const char* what) {
    if (result == SQLITE_OK || result == SQLITE_DONE)
        return true;
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    return false;
}

// The same rows as a sync of a fresh database writes to its channel table, through
// one prepared statement in one transaction.
double FloorInsert(const std::wstring& path, int count) {
    DeleteFileW(path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open16(path.c_str(), &db);
    const double start = Now();
    Check(sqlite3_exec(db,
                       "CREATE TABLE IF NOT EXISTS channel(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE,"
                       "ctime DATETIME,utime DATETIME,catalogid INTEGER NOT NULL,name TEXT,desc TEXT,url TEXT,"
                       "channelid TEXT,type INTEGER,server TEXT,portno INTEGER DEFAULT 0,bitrate INTEGER DEFAULT 0,"
                       "visitors INTEGER DEFAULT 0,hits INTEGER DEFAULT 0,del INTEGER DEFAULT 0);",
                       nullptr, nullptr, nullptr),
          db, "create");
    Check(sqlite3_exec(db, "begin;", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt* insert = nullptr;
    Check(
        sqlite3_prepare_v2(db,
                           "insert into channel(ctime,utime,catalogid,name,desc,url,channelid,type,server,portno,"
                           "bitrate,visitors,hits) values(CURRENT_TIMESTAMP,CURRENT_TIMESTAMP,?,?,?,?,?,?,?,?,?,?,?);",
                           -1, &insert, nullptr),
        db, "prepare");
    GeneratedChannel channel;
    for (int index = 0; index < count; ++index) {
        Generate(index, channel);
        sqlite3_bind_int(insert, 1, index % kCatalogs + 1);
        sqlite3_bind_text(insert, 2, channel.name, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, channel.description, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, channel.homePage, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, channel.channelId, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 6, channel.type);
        sqlite3_bind_text(insert, 7, "global", -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 8, 0);
        sqlite3_bind_int(insert, 9, channel.bitrate);
        sqlite3_bind_int(insert, 10, channel.viewers);
        sqlite3_bind_int(insert, 11, 0);
        if (!Check(sqlite3_step(insert), db, "insert"))
            break;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr), db, "commit");
    const double elapsed = Now() - start;
    sqlite3_close(db);
    DeleteFileW(path.c_str());
    return elapsed;
}

// A fresh folder of the benchmark's own as the application-data folder, without a database.
void UseDataFolder(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CAppPaths::InitAt(folder);
    DeleteFileW(GetDatabasePath().c_str());
}

void LeaveDataFolder(const std::wstring& folder) {
    DeleteFileW(GetDatabasePath().c_str());
    CAppPaths::Shutdown();
    RemoveDirectoryW((folder + L"Vantel\\data").c_str());
    RemoveDirectoryW((folder + L"Vantel\\cache").c_str());
    RemoveDirectoryW((folder + L"Vantel").c_str());
    RemoveDirectoryW(folder.c_str());
}

double TimedSync() {
    const double start = Now();
    if (!SyncChannelList(&GeneratedGetClassObject))
        std::fprintf(stderr, "sync failed\n");
    return Now() - start;
}

int CountStoredChannels() {
    sqlite3* db = nullptr;
    sqlite3_open16(GetDatabasePath().c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    int count = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM channel WHERE del=0", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

// The engine substitute reading and serving a catalogue file of `count` lines.
void TimeCatalogueFile(const std::wstring& folder, int count) {
    const std::wstring path = folder + L"catalogue.txt";
    FILE* file = _wfopen(path.c_str(), L"wb");
    GeneratedChannel channel;
    for (int index = 0; index < count; ++index) {
        Generate(index, channel);
        std::fprintf(file, "%s\t%s\t%s\t%s\t%s\t%d\t%d\t%d\n", channel.name, channel.channelId, channel.description,
                     channel.homePage, channel.catalog, channel.type, channel.viewers, channel.bitrate);
    }
    std::fclose(file);
    SetEnvironmentVariableW(L"TRCORE_CATALOGUE", path.c_str());

    EngineClassObject engine = {};
    engine.interface_version = kEngineInterfaceVersion;
    const double start = Now();
    if (!GetClassObject(&engine) || !engine.open(engine.context)) {
        std::fprintf(stderr, "TRCore.dll did not open the catalogue\n");
        return;
    }
    const int served = engine.get_count(engine.context);
    const double opened = Now();
    EngineChannelInfo info;
    for (int index = 0; index < served; ++index) {
        std::memset(&info, 0, sizeof(info));
        engine.get_channel(engine.context, &info, index);
    }
    const double fetched = Now();
    engine.close(engine.context);
    SetEnvironmentVariableW(L"TRCORE_CATALOGUE", nullptr);
    DeleteFileW(path.c_str());
    std::printf("TRCore.dll, %d-line catalogue file: open %.0f ms, all get_channel %.0f ms (%d served)\n", count,
                (opened - start) * 1000, (fetched - opened) * 1000, served);
}

// ---- whole-list reads, on a database prepared like the list benchmark's: creation times
// spread over 30 days (about a tenth are new) and 100 history rows.

const int kHistoryRows = 100;
const int kLatestLimit = 20;

void ExecRaw(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql.c_str(), error ? error : "?");
        sqlite3_free(error);
    }
}

void SpreadForLists(int count) {
    sqlite3* db = nullptr;
    sqlite3_open16(GetDatabasePath().c_str(), &db);
    ExecRaw(db, "UPDATE channel SET ctime=datetime('now','-'||((id*7919)%720)||' hours');");
    ExecRaw(db, "CREATE TABLE IF NOT EXISTS history(utime DATETIME,id INTEGER UNIQUE);");
    ExecRaw(db, "INSERT INTO history(utime,id) SELECT datetime('now','-'||id||' minutes'),id FROM channel WHERE id%" +
                    std::to_string(count / kHistoryRows) + "=0 LIMIT " + std::to_string(kHistoryRows) + ";");
    sqlite3_close(db);
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(statement, column))
                : std::string();
}

// Appends every row of `sql` (the twelve channel columns) as a record.
void ReadRaw(sqlite3* db, const char* sql, std::vector<ChannelRecord>& out) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        out.emplace_back();
        ChannelRecord& record = out.back();
        record.id = sqlite3_column_int(statement, 0);
        record.catalogid = sqlite3_column_int(statement, 1);
        record.name = ColumnText(statement, 2);
        record.desc = ColumnText(statement, 3);
        record.url = ColumnText(statement, 4);
        record.channelid = ColumnText(statement, 5);
        record.type = sqlite3_column_int(statement, 6);
        record.server = ColumnText(statement, 7);
        record.portno = sqlite3_column_int(statement, 8);
        record.bitrate = sqlite3_column_int(statement, 9);
        record.visitors = sqlite3_column_int(statement, 10);
        record.hits = sqlite3_column_int(statement, 11);
    }
    sqlite3_finalize(statement);
}

int QueryRaw(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    int value = 0;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

// The floors: one connection, the same rows through as few statements as possible.
void FloorAllChannels() {
    sqlite3* db = nullptr;
    sqlite3_open16(GetDatabasePath().c_str(), &db);
    std::vector<ChannelRecord> rows;
    sqlite3_stmt* catalogs = nullptr;
    sqlite3_prepare_v2(db, "SELECT id,name FROM catalog ORDER BY ctime;", -1, &catalogs, nullptr);
    std::vector<std::string> names;
    while (sqlite3_step(catalogs) == SQLITE_ROW)
        names.push_back(ColumnText(catalogs, 1));
    sqlite3_finalize(catalogs);
    ReadRaw(db,
            "SELECT id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits FROM channel "
            "WHERE del<>1 AND (julianday('now')-julianday(ctime))<3 ORDER BY ctime desc,name asc LIMIT 20;",
            rows);
    ReadRaw(db,
            "SELECT c.id,c.catalogid,c.name,c.desc,c.url,c.channelid,c.type,c.server,c.portno,c.bitrate,c.visitors,"
            "c.hits FROM channel c JOIN catalog k ON k.id=c.catalogid WHERE c.del<>1 ORDER BY k.ctime,k.id,c.ctime,"
            "c.name;",
            rows);
    QueryRaw(db, "SELECT count(*) FROM channel WHERE del<>1");
    QueryRaw(db, "SELECT sum(visitors) FROM channel WHERE del<>1");
    sqlite3_close(db);
}

void FloorHistory() {
    sqlite3* db = nullptr;
    sqlite3_open16(GetDatabasePath().c_str(), &db);
    std::vector<ChannelRecord> rows;
    ReadRaw(db,
            "SELECT c.id,c.catalogid,c.name,c.desc,c.url,c.channelid,c.type,c.server,c.portno,c.bitrate,c.visitors,"
            "c.hits FROM history h JOIN channel c ON c.id=h.id WHERE c.del<>1 ORDER BY h.utime desc;",
            rows);
    QueryRaw(db, "SELECT sum(visitors) FROM channel WHERE del<>1");
    sqlite3_close(db);
}

void TimeListReads(const std::wstring& base, int largest) {
    std::printf("\n%9s %14s %10s %8s %14s %10s %8s\n", "channels", "all lists ms", "floor ms", "x floor", "history ms",
                "floor ms", "x floor");
    for (int count : {1000, 10000, 50000}) {
        if (count > largest)
            break;
        const std::wstring folder = base + L"lists" + std::to_wstring(count) + L"\\";
        UseDataFolder(folder);
        g_channelCount = count;
        if (!SyncChannelList(&GeneratedGetClassObject))
            std::fprintf(stderr, "sync failed\n");
        SpreadForLists(count);

        AllChannelsSnapshot all;
        ChannelListSnapshot history;
        bool read = true;
        const double allReads = TimeRuns(5, [&] { read = ReadAllChannels(kLatestLimit, all) && read; });
        const double allFloor = TimeRuns(5, FloorAllChannels);
        const double historyReads = TimeRuns(5, [&] { read = ReadHistoryList(history) && read; });
        const double historyFloor = TimeRuns(5, FloorHistory);
        std::printf(
            "%9d %14.1f %10.1f %8.2f %14.2f %10.2f %8.2f%s\n", count, allReads * 1000, allFloor * 1000,
            allReads / allFloor, historyReads * 1000, historyFloor * 1000, historyReads / historyFloor,
            read && all.channelCount == count && history.channels.size() == kHistoryRows ? "" : "  (wrong rows)");
        std::fflush(stdout);
        LeaveDataFolder(folder);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int largestListRead = argc > 2 ? std::atoi(argv[2]) : 50000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    swprintf(name, 64, L"trova-bench-sync-%lu\\", GetCurrentProcessId());
    const std::wstring base = std::wstring(temp) + name;
    CreateDirectoryW(base.c_str(), nullptr);

    std::printf("%9s %12s %8s %12s %8s %12s\n", "channels", "fresh ms", "x floor", "filled ms", "x floor", "floor ms");
    for (int count = 1000; count <= largest; count *= 10) {
        const std::wstring folder = base + std::to_wstring(count) + L"\\";
        UseDataFolder(folder);
        g_channelCount = count;

        // Rounds of all three, interleaved, so that a busy moment of the machine slows each alike.
        const int rounds = count >= 100000 ? 3 : 5;
        std::vector<double> freshTimes, filledTimes, floorTimes;
        int stored = 0;
        for (int round = 0; round < rounds; ++round) {
            DeleteFileW(GetDatabasePath().c_str());
            freshTimes.push_back(TimedSync());
            filledTimes.push_back(TimedSync());
            stored = CountStoredChannels();
            floorTimes.push_back(FloorInsert(CAppPaths::Data() + L"floor.db", count));
        }
        const double fresh = Median(freshTimes), filled = Median(filledTimes), floor = Median(floorTimes);
        std::printf("%9d %12.0f %8.1f %12.0f %8.1f %12.1f%s\n", count, fresh * 1000, fresh / floor, filled * 1000,
                    filled / floor, floor * 1000, stored == count ? "" : "  (wrong channel count stored)");
        std::fflush(stdout);
        LeaveDataFolder(folder);
    }
    TimeCatalogueFile(base, 100000);
    TimeListReads(base, largestListRead);
    RemoveDirectoryW(base.c_str());
    return 0;
}
