#pragma once
// Whole-list reads for the channel lists. Each reads one consistent snapshot through one
// connection inside one read transaction, with one statement per list or per catalog. They never
// throw: false means nothing usable was read (database locked, busy, broken or missing tables
// that cannot be created) and `out` is left untouched, so the caller keeps what it showed.
// busyTimeoutMs: how long the read waits for a database that another connection holds; the
// window thread's reads never wait (0), the synchronisation thread's do.
#include "channellist/store/Records.h"
#include <memory>
#include <vector>

// Every shown channel in the keyword search's order (creation time, then name), read once per
// synchronisation and never changed afterwards, so that the lists and a search running on
// another thread can share its records.
using ChannelCatalogue = std::shared_ptr<const std::vector<ChannelRecord>>;

struct CatalogChannels {
    CatalogRecord catalog;
    std::vector<const ChannelRecord*> channels;  // the catalog's shown channels, by ctime then
                                                 // name, pointing into the snapshot's catalogue
};

struct AllChannelsSnapshot {
    std::vector<ChannelRecord> latest;      // channels of the last three days, newest first,
                                            // at most latestLimit of them
    std::vector<CatalogChannels> catalogs;  // every catalog, in catalog order
    ChannelCatalogue catalogue;             // every shown channel, catalog or not
    int channelCount = 0;                   // all shown channels (CountChannels)
    int visitorSum = 0;                     // SumVisitors
};
// False also when there is no catalog at all (the list keeps its rows, as before).
bool ReadAllChannels(int latestLimit, AllChannelsSnapshot& out, int busyTimeoutMs = 0);

// A list's rows only: its percentage column divides by the catalogue's visitor sum, which
// changes only with a synchronisation and comes with ReadAllChannels.
struct ChannelListSnapshot {
    std::vector<ChannelRecord> channels;
};
// History joined to channel on its key, most recently opened first; hidden channels left out.
bool ReadHistoryList(ChannelListSnapshot& out, int busyTimeoutMs = 0);
// Favourite channels, most recently added first; hidden or missing channels left out.
bool ReadFavoriteList(ChannelListSnapshot& out, int busyTimeoutMs = 0);

// Favourites, keyed by the channel's name and channel id (the identity that survives
// synchronisations). Each creates its table if needed; false on any failure.
bool AddFavorite(const ChannelRecord& channel);
bool RemoveFavorite(const ChannelRecord& channel);
bool IsFavorite(const ChannelRecord& channel);
