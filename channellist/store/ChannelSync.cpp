#include "channellist/store/ChannelSync.h"

#include <cstring>
#include <exception>
#include <map>
#include <string>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/Records.h"
#include "channellist/store/sqlite3x.h"
#include "framework/win/Trace.h"

namespace {

const char kServerName[] = "global";
const char kUnknownCatalog[] = "unknown";
// The window thread reads the same file while the merge runs (it fills its lists from it);
// without waiting, the merge would fail whenever one of those reads holds the file as the
// merge needs its lock, and the user would be left with a stale list for the whole run.
const int kMergeBusyTimeoutMs = 5000;

// Text of a fixed engine slot: up to the first NUL, or the whole slot when the
// engine filled it to the last byte (never read past the slot).
template <std::size_t N>
std::string SlotText(const char (&slot)[N]) {
    const void* terminator = std::memchr(slot, '\0', N);
    const std::size_t length = terminator ? static_cast<const char*>(terminator) - slot : N;
    return std::string(slot, length);
}

// Ends the use of an opened engine exactly once, whichever way the sync leaves.
class OpenedEngine {
public:
    explicit OpenedEngine(const EngineClassObject& engine) : engine_(engine) {}
    ~OpenedEngine() { engine_.close(engine_.context); }
    OpenedEngine(const OpenedEngine&) = delete;
    OpenedEngine& operator=(const OpenedEngine&) = delete;

private:
    const EngineClassObject& engine_;
};

// The writes of one merge: its statements prepared once, and each catalog name looked up once.
// While the merge runs only its own inserts change the catalog table, so a name found (or
// added and found) keeps its id to the end.
class ChannelMerge {
public:
    explicit ChannelMerge(sqlite3x::connection& db) : statements_(db) {}

    void Store(const EngineChannelInfo& info) {
        std::string catalogName = SlotText(info.catalog);
        if (catalogName.empty()) catalogName = kUnknownCatalog;
        int catalogId = 0;
        if (!FindOrAddCatalog(catalogName, catalogId)) return;

        // Only the name of an updates row is read later, by the hiding statement.
        UpdateRecord update;
        update.catalogid = catalogId;
        update.type = info.type;
        update.name = SlotText(info.name);
        update.desc = SlotText(info.description);
        update.url = SlotText(info.home_page);
        update.channelid = SlotText(info.channel_id);
        update.server = kServerName;
        statements_.InsertUpdate(update);

        ChannelRecord channel;
        channel.catalogid = catalogId;
        channel.type = info.type;
        channel.name = update.name;
        channel.desc = update.desc;
        channel.url = update.url;
        channel.channelid = update.channelid;
        channel.bitrate = info.bitrate;
        channel.visitors = info.viewers;
        channel.server = kServerName;
        if (statements_.ChannelExists(channel.name, channel.channelid))
            statements_.UpdateChannel(channel);
        else
            statements_.InsertChannel(channel);
    }

private:
    bool FindOrAddCatalog(const std::string& name, int& id) {
        const auto known = catalogIds_.find(name);
        if (known != catalogIds_.end()) {
            id = known->second;
            return true;
        }
        CatalogRecord catalog;
        if (!statements_.FindCatalogByName(name.c_str(), catalog)) {
            statements_.InsertCatalog(name);
            if (!statements_.FindCatalogByName(name.c_str(), catalog)) return false;
        }
        catalogIds_.emplace(name, catalog.id);
        id = catalog.id;
        return true;
    }

    MergeStatements statements_;
    std::map<std::string, int> catalogIds_;
};

bool MergeIntoDatabase(const EngineClassObject& engine, int count, const std::function<void()>& committed) {
    try {
        sqlite3x::connection db;
        db.open(GetDatabasePath());
        db.set_busy_timeout(kMergeBusyTimeoutMs);
        // The list of updates and the pages the merge rewrites stay in memory for the length
        // of the merge: as a temporary file and through SQLite's default 2 MB cache, a
        // catalogue of 100,000 channels spent most of its time re-reading and spilling pages.
        // Both grow only as used (at 100,000 channels about 70 MB) and go with the connection.
        db.exec("PRAGMA temp_store=MEMORY");
        db.exec("PRAGMA cache_size=-131072");
        // The merge reads every page of a filled database once; mapped, the pages cost no
        // read call each (dear under Wine). The mapping lives only while the merge holds
        // its lock, so no other connection can shorten the file under it. A new file is
        // not mapped: growing a mapped file costs more than its few reads.
        if (db.query_int("PRAGMA page_count") > 0) db.exec("PRAGMA mmap_size=134217728");
        sqlite3x::transaction transaction(db);
        transaction.begin();

        EnsureCatalogTable(db);
        RecreateUpdatesTable(db);
        EnsureChannelTable(db);
        EnsureHistoryTable(db);
        // Every channel of the list is looked up by name and identifier; without an
        // index each lookup scans the whole table and the merge grows quadratically.
        db.exec("CREATE INDEX IF NOT EXISTS channel_name_channelid ON channel(name,channelid)");

        {
            ChannelMerge merge(db);
            for (int index = 0; index < count; ++index) {
                EngineChannelInfo info;
                std::memset(&info, 0, sizeof(info));
                if (!engine.get_channel(engine.context, &info, index)) continue;
                merge.Store(info);
            }
        }

        // The lists read each catalog's channels in (ctime, name) order through this index. A
        // new file gets it after its rows: built in one pass, not kept up row by row.
        db.exec("CREATE INDEX IF NOT EXISTS channel_catalog_order ON channel(catalogid,ctime,name)");

        // Presence is decided by name alone, so a listed name keeps all its rows visible.
        db.exec("UPDATE channel SET del=1 WHERE name NOT IN (SELECT name FROM updates)");
        db.exec("DELETE FROM  channel WHERE del=1 AND (julianday('now')-julianday(utime))>7");
        db.exec("DELETE FROM catalog WHERE id NOT IN (SELECT\tcatalogid FROM channel)");
        db.exec("DELETE FROM history WHERE (julianday('now')-julianday(utime))>30");

        transaction.commit();
        if (committed) committed();
        db.close();
        return true;
    } catch (const std::exception&) {
        // The transaction rolls back and the connection closes on the way out.
        TraceCaughtException(L"Merging the engine's channels");
        return false;
    }
}

}  // namespace

bool SyncChannelList(GetClassObjectFn getClassObject) { return SyncChannelList(getClassObject, nullptr); }

bool SyncChannelList(GetClassObjectFn getClassObject, const std::function<void()>& committed) {
    if (!getClassObject) return false;
    EngineClassObject engine;
    std::memset(&engine, 0, sizeof(engine));
    engine.interface_version = kEngineInterfaceVersion;
    if (!getClassObject(&engine)) return false;
    // An incomplete table cannot be driven; calling through a null slot would crash.
    if (!engine.open || !engine.close || !engine.get_count || !engine.get_channel) return false;
    if (!engine.open(engine.context)) return false;

    OpenedEngine opened(engine);
    const int count = engine.get_count(engine.context);
    // A negative count is as empty as 0: nothing to merge, and hiding every channel
    // on the strength of a broken count would be wrong.
    if (count <= 0) return true;
    return MergeIntoDatabase(engine, count, committed);
}

bool SyncChannelList() { return SyncChannelList(&GetClassObject); }
