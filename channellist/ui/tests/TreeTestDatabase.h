#pragma once
// A channel database of its own in a fresh temporary folder, filled by each test.
#include "channellist/store/ChannelDatabase.h"
#include "common/settings/AppPaths.h"

#include <windows.h>

#include <string>

class CTreeTestDatabase {
public:
    CTreeTestDatabase();
    ~CTreeTestDatabase();
    CTreeTestDatabase(const CTreeTestDatabase&) = delete;
    CTreeTestDatabase& operator=(const CTreeTestDatabase&) = delete;

    // ctime is an SQLite time expression; older catalogs come first in the list.
    int AddCatalog(const std::string& name, const std::string& ctime);
    // Channel on server "global"; ageDays decides whether it counts as new (< 3 days).
    int AddChannel(int catalogId, const std::string& name, const std::string& channelId, int visitors,
                   double ageDays, const std::string& desc = std::string());
    // The catalog every fresh database has.
    int UnknownCatalog();
    void Exec(const std::string& sql);
    sqlite3x::connection& Connection() { return db_; }

private:
    std::wstring folder_;
    sqlite3x::connection db_;
};
