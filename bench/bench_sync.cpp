// Times the channel list synchronisation for generated catalogues of 1,000, 10,000
// and 100,000 channels in 100 catalogs, into a fresh and into an already-filled
// database, against the floor: the same rows inserted through raw SQLite with one
// prepared statement in one transaction. Also times the engine substitute serving
// a 100,000-line catalogue file.
//
// Usage: bench_sync [largest channel count]

#include <windows.h>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/BenchSupport.h"
#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ChannelSync.h"
#include "common/settings/AppPaths.h"

using namespace bench;

namespace {



bool Check(int result, sqlite3* db, const char* what) {
    if (result == SQLITE_OK || result == SQLITE_DONE) return true;
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
    Check(sqlite3_prepare_v2(db,
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
        if (!Check(sqlite3_step(insert), db, "insert")) break;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr), db, "commit");
    const double elapsed = Now() - start;
    sqlite3_close(db);
    DeleteFileW(path.c_str());
    return elapsed;
}

double TimedSync() {
    const double start = Now();
    if (!SyncChannelList(&GeneratedGetClassObject)) std::fprintf(stderr, "sync failed\n");
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

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 100000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    swprintf(name, 64, L"trova-bench-sync-%lu\\", GetCurrentProcessId());
    const std::wstring base = std::wstring(temp) + name;
    CreateDirectoryW(base.c_str(), nullptr);

    std::printf("%9s %12s %8s %12s %8s %12s\n", "channels", "fresh ms", "x floor", "filled ms", "x floor",
                "floor ms");
    for (int count = 1000; count <= largest; count *= 10) {
        const std::wstring folder = base + std::to_wstring(count) + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        CAppPaths::InitAt(folder);
        DeleteFileW(GetDatabasePath().c_str());
        g_channelCount = count;

        const double fresh = TimedSync();
        const double filled = TimedSync();
        const int stored = CountStoredChannels();
        const double floor = FloorInsert(CAppPaths::Data() + L"floor.db", count);
        std::printf("%9d %12.0f %8.1f %12.0f %8.1f %12.1f%s\n", count, fresh * 1000, fresh / floor, filled * 1000,
                    filled / floor, floor * 1000, stored == count ? "" : "  (wrong channel count stored)");
        std::fflush(stdout);
        DeleteFileW(GetDatabasePath().c_str());
        CAppPaths::Shutdown();
        RemoveDirectoryW((folder + L"Vantel\\data").c_str());
        RemoveDirectoryW((folder + L"Vantel\\cache").c_str());
        RemoveDirectoryW((folder + L"Vantel").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    TimeCatalogueFile(base, 100000);
    RemoveDirectoryW(base.c_str());
    return 0;
}
