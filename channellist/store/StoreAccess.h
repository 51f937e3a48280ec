#pragma once
// Inside the store: the boundary every store operation passes (its own connection, its tables,
// one catch) and the statement texts that the row-at-a-time and the whole-list reads share, so
// that both sort the same rows in the same way.
#include <windows.h>

#include <exception>
#include <initializer_list>
#include <string>

#include "channellist/store/ChannelDatabase.h"
#include "framework/win/Trace.h"

namespace StoreAccess {

// The channel columns of every channel read, in the order ReadChannelRow maps them.
inline const std::string kChannelColumns =
    "id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits";

inline const std::string kCatalogsInOrder = "SELECT id,name FROM catalog ORDER BY ctime";
inline const std::string kCatalogChannelsInOrder =
    "SELECT " + kChannelColumns + " FROM channel WHERE catalogid=? AND del<>1 ORDER BY ctime,name";
inline const std::string kNewChannelsInOrder =
    "SELECT " + kChannelColumns +
    " FROM channel WHERE del<>1 AND (julianday('now')-julianday(ctime))<3 order by ctime desc,name asc";

using EnsureTable = void (*)(sqlite3x::connection&);

enum class Transaction { None, Whole };

// Opens the database file, (inside one transaction when asked) ensures `tables`, runs `body`
// and closes. Any failure ends here: the reason goes to the debugger output and the caller
// gets `failed`; an open transaction rolls back and the connection closes on the way out.
// With a busy timeout the connection waits that long for another connection's lock; without
// one (the window thread's operations) a busy database fails at once.
template <typename Result, typename Body>
Result RunStoreOperation(Result failed, std::initializer_list<EnsureTable> tables, Transaction mode, Body&& body,
                         int busyTimeoutMs = 0) {
    try {
        sqlite3x::connection db;
        db.open(GetDatabasePath());
        if (busyTimeoutMs > 0)
            db.set_busy_timeout(busyTimeoutMs);
        Result result = failed;
        {
            sqlite3x::transaction transaction(db);
            if (mode == Transaction::Whole)
                transaction.begin();
            for (EnsureTable ensure : tables)
                ensure(db);
            result = body(db);
            if (mode == Transaction::Whole)
                transaction.commit();
        }
        db.close();
        return result;
    } catch (const std::exception&) {
        TraceCaughtException(L"Channel store");
        return failed;
    }
}

template <typename Result, typename Body>
Result WithStore(Result failed, std::initializer_list<EnsureTable> tables, Body&& body) {
    return RunStoreOperation(failed, tables, Transaction::None, body);
}

template <typename Result, typename Body>
Result WithStoreTransaction(Result failed, std::initializer_list<EnsureTable> tables, Body&& body) {
    return RunStoreOperation(failed, tables, Transaction::Whole, body);
}

}  // namespace StoreAccess
