#pragma once

#include <string>
#include <vector>

#include "channellist/store/Records.h"
#include "channellist/store/sqlite3x.h"

// The channel database "cinfo.db" in the data folder; the bare file name, relative to
// the current folder, when the data folder could not be set up.
std::wstring GetDatabasePath();

// Operations on an open connection; they throw sqlite3x::database_error.
void EnsureCatalogTable(sqlite3x::connection& db);  // with its "unknown" catalog
void EnsureChannelTable(sqlite3x::connection& db);
void EnsureHistoryTable(sqlite3x::connection& db);
// A fresh temporary table of the engine's current list, for one synchronisation.
void RecreateUpdatesTable(sqlite3x::connection& db);
bool FindCatalogByName(sqlite3x::connection& db, const char* name, CatalogRecord& out);
void InsertCatalog(sqlite3x::connection& db, const std::string& name);
void InsertUpdate(sqlite3x::connection& db, const UpdateRecord& record);
// A channel is identified by its name together with its channel id.
bool ChannelExists(sqlite3x::connection& db, const std::string& name, const std::string& channelid);
void InsertChannel(sqlite3x::connection& db, const ChannelRecord& record);
// Refreshes the row of record's name and channel id and shows it again (del=0).
void UpdateChannel(sqlite3x::connection& db, const ChannelRecord& record);
// Reads "id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits".
void ReadChannelRow(sqlite3x::reader& row, ChannelRecord& out);

// The synchronisation's writes: the statements of the operations above, each prepared once on
// the merge's connection (after its tables exist) and rebound for every channel. Destroy before
// closing the connection.
class MergeStatements {
public:
    explicit MergeStatements(sqlite3x::connection& db);

    bool FindCatalogByName(const char* name, CatalogRecord& out);
    void InsertCatalog(const std::string& name);
    void InsertUpdate(const UpdateRecord& record);
    bool ChannelExists(const std::string& name, const std::string& channelid);
    void InsertChannel(const ChannelRecord& record);
    void UpdateChannel(const ChannelRecord& record);

private:
    sqlite3x::command findCatalog_, insertCatalog_, insertUpdate_, channelExists_, insertChannel_,
        updateChannel_;
};

// Store functions: each opens its own connection, never throws, and gives 0 or false
// on any failure (missing tables are created first). Offsets are 0-based; channels
// marked deleted are left out everywhere.
int CountCatalogs();
bool GetCatalogAt(int offset, CatalogRecord& out);
int CountCatalogChannels(int catalogId);
bool GetCatalogChannelAt(int catalogId, int offset, ChannelRecord& out);
// Channels first seen less than three days ago, newest first.
int CountNewChannels();
bool GetNewChannelAt(int offset, ChannelRecord& out);
int SumVisitors();
int CountChannels();
// Appends the channels whose name or description contains the keyword (LIKE rules);
// on failure the rows appended so far stay and the reason goes to the debugger.
bool SearchChannels(const std::wstring& keyword, std::vector<ChannelRecord>& list);
// Records that the user opened the channel now.
bool TouchHistory(int channelId);
int CountHistory();
// Most recently opened first.
bool GetHistoryChannelAt(int offset, ChannelRecord& out);
