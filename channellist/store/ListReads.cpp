#include "channellist/store/ListReads.h"

#include <string>
#include <unordered_map>
#include <utility>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/StoreAccess.h"

using sqlite3x::command;
using sqlite3x::connection;
using sqlite3x::reader;
using namespace StoreAccess;

namespace {

// Older copies of the program never read or write this table, so it can live in the same file.
const char kCreateFavorite[] =
    "CREATE TABLE IF NOT EXISTS favorite(name TEXT,channelid TEXT,utime DATETIME,UNIQUE(name,channelid))";

// The rows of an opened history, newest first. Equal times come in channel id order, the order
// in which the row-at-a-time history page meets them (it walks the live ids through the
// history's id index).
const std::string kHistoryChannels = "SELECT " + kChannelColumns +
                                     " FROM history JOIN channel USING(id) WHERE del<>1 "
                                     "ORDER BY history.utime desc,id";

// A favourite shows the live channel of its name and channel id; of several such rows, the
// oldest. Favourites added in the same second come newest first by their row order.
const std::string kFavoriteChannels =
    "SELECT " + kChannelColumns +
    " FROM favorite JOIN channel USING(name,channelid) "
    "WHERE channel.id=(SELECT min(live.id) FROM channel AS live WHERE live.name=favorite.name "
    "AND live.channelid=favorite.channelid AND live.del<>1) "
    "ORDER BY favorite.utime desc,favorite.rowid desc";

// Every shown channel in the order of the keyword search's statement: the same condition on del
// and the same sort, so that rows of equal creation time and name come in the same order too. A
// catalog's channels are these rows in the same order, which is the order of the catalog-order
// index (catalogid,ctime,name), whose equal keys are in row order as the sort leaves them.
const std::string kShownChannelsInOrder =
    "SELECT " + kChannelColumns + " FROM channel WHERE del<>1 ORDER BY ctime,name";

// The sort of the whole table spills to temporary files beyond the page cache; a larger cache
// keeps it in memory. The cache grows only with the pages used and goes with the connection.
const char kCacheForWholeLists[] = "PRAGMA cache_size=-131072";

// The shown channels' count and visitor sum in one pass over the table. The same numbers as
// CountChannels and SumVisitors: id is the row key, so "id IN (SELECT id FROM channel WHERE
// del<>1)" picks exactly the rows with del<>1, without building that set first.
const char kCountAndSumShown[] = "SELECT count(*),sum(visitors) FROM channel WHERE del<>1";

void EnsureFavoriteTable(connection& db) { db.exec(kCreateFavorite); }

int ReadVisitorSum(connection& db, int& count) {
    command totals(db, kCountAndSumShown);
    reader row(totals);
    row.read();  // an aggregate always yields its row
    count = row.get_int(0);
    return row.get_int(1);
}

std::vector<ChannelRecord> ReadChannels(command& query) {
    std::vector<ChannelRecord> channels;
    reader row(query);
    while (row.read()) {
        channels.emplace_back();
        ReadChannelRow(row, channels.back());
    }
    return channels;
}

// Reads a flat list, or nothing.
bool ReadChannelList(EnsureTable listTable, const std::string& sql, ChannelListSnapshot& out, int busyTimeoutMs) {
    ChannelListSnapshot snapshot;
    const auto readList = [&](connection& db) {
        command list(db, sql);
        snapshot.channels = ReadChannels(list);
        return true;
    };
    const bool read =
        RunStoreOperation(false, {listTable, EnsureChannelTable}, Transaction::Whole, readList, busyTimeoutMs);
    if (read)
        out = std::move(snapshot);
    return read;
}

// Runs a statement keyed by the channel's name and channel id.
template <typename Run>
bool WithFavoriteKey(Transaction mode, const char* sql, const ChannelRecord& channel, Run run) {
    return RunStoreOperation(false, {EnsureFavoriteTable}, mode, [&](connection& db) {
        command statement(db, sql);
        statement.bind_text(1, channel.name);
        statement.bind_text(2, channel.channelid);
        return run(statement);
    });
}

}  // namespace

bool ReadAllChannels(int latestLimit, AllChannelsSnapshot& out, int busyTimeoutMs) {
    AllChannelsSnapshot snapshot;
    const auto readAll = [&](connection& db) {
        db.exec(kCacheForWholeLists);
        {
            command catalogs(db, kCatalogsInOrder);
            reader row(catalogs);
            while (row.read()) {
                snapshot.catalogs.emplace_back();
                snapshot.catalogs.back().catalog.id = row.get_int(0);
                snapshot.catalogs.back().catalog.name = row.get_text(1);
            }
        }
        if (snapshot.catalogs.empty())
            return false;
        // A limit of 0 or less would mean no limit to SQLite.
        if (latestLimit > 0) {
            command latest(db, kNewChannelsInOrder + " limit ?");
            latest.bind_int(1, latestLimit);
            snapshot.latest = ReadChannels(latest);
        }
        command shown(db, kShownChannelsInOrder);
        auto catalogue = std::make_shared<const std::vector<ChannelRecord>>(ReadChannels(shown));
        std::unordered_map<int, size_t> catalogAt;
        for (size_t i = 0; i < snapshot.catalogs.size(); ++i)
            catalogAt.emplace(snapshot.catalogs[i].catalog.id, i);
        for (const ChannelRecord& channel : *catalogue) {
            const auto catalog = catalogAt.find(channel.catalogid);
            if (catalog != catalogAt.end())
                snapshot.catalogs[catalog->second].channels.push_back(&channel);
        }
        snapshot.catalogue = std::move(catalogue);
        snapshot.visitorSum = ReadVisitorSum(db, snapshot.channelCount);
        return true;
    };
    const bool read =
        RunStoreOperation(false, {EnsureCatalogTable, EnsureChannelTable}, Transaction::Whole, readAll, busyTimeoutMs);
    if (read)
        out = std::move(snapshot);
    return read;
}

bool ReadHistoryList(ChannelListSnapshot& out, int busyTimeoutMs) {
    return ReadChannelList(EnsureHistoryTable, kHistoryChannels, out, busyTimeoutMs);
}

bool ReadFavoriteList(ChannelListSnapshot& out, int busyTimeoutMs) {
    return ReadChannelList(EnsureFavoriteTable, kFavoriteChannels, out, busyTimeoutMs);
}

bool AddFavorite(const ChannelRecord& channel) {
    // Adding a favourite again keeps the time it was first added.
    return WithFavoriteKey(Transaction::Whole,
                           "INSERT OR IGNORE INTO favorite(name,channelid,utime) VALUES(?,?,CURRENT_TIMESTAMP)",
                           channel, [](command& insert) {
                               insert.exec();
                               return true;
                           });
}

bool RemoveFavorite(const ChannelRecord& channel) {
    return WithFavoriteKey(Transaction::Whole, "DELETE FROM favorite WHERE name=? AND channelid=?", channel,
                           [](command& remove) {
                               remove.exec();
                               return true;
                           });
}

bool IsFavorite(const ChannelRecord& channel) {
    return WithFavoriteKey(Transaction::None, "SELECT count(*) FROM favorite WHERE name=? AND channelid=?", channel,
                           [](command& count) { return count.query_int() != 0; });
}
