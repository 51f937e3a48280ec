#pragma once
// The lists as the row-at-a-time store functions give them (count first, then one call per
// row), in the shape of the whole-list reads, and a printable form of both for comparisons.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ListReads.h"

inline std::string Describe(const ChannelRecord& c) {
    return std::to_string(c.id) + "|" + std::to_string(c.catalogid) + "|" + c.name + "|" + c.desc + "|" + c.url + "|" +
           c.channelid + "|" + std::to_string(c.type) + "|" + c.server + "|" + std::to_string(c.portno) + "|" +
           std::to_string(c.bitrate) + "|" + std::to_string(c.visitors) + "|" + std::to_string(c.hits);
}

inline std::vector<std::string> Describe(const std::vector<ChannelRecord>& list) {
    std::vector<std::string> lines;
    for (const ChannelRecord& channel : list)
        lines.push_back(Describe(channel));
    return lines;
}

// The favourites as the whole-list read gives them: "name id" per row.
inline std::vector<std::string> FavoriteLines() {
    ChannelListSnapshot favorites;
    EXPECT_TRUE(ReadFavoriteList(favorites));
    std::vector<std::string> lines;
    for (const ChannelRecord& channel : favorites.channels)
        lines.push_back(channel.name + " " + std::to_string(channel.id));
    return lines;
}

// One line per catalog and per channel, then the totals.
inline std::vector<std::string> Describe(const AllChannelsSnapshot& snapshot) {
    std::vector<std::string> lines;
    for (const ChannelRecord& channel : snapshot.latest)
        lines.push_back("new " + Describe(channel));
    for (const CatalogChannels& catalog : snapshot.catalogs) {
        lines.push_back("catalog " + std::to_string(catalog.catalog.id) + "|" + catalog.catalog.name);
        for (const ChannelRecord* channel : catalog.channels)
            lines.push_back("  " + Describe(*channel));
    }
    lines.push_back("count " + std::to_string(snapshot.channelCount) + " visitors " +
                    std::to_string(snapshot.visitorSum));
    return lines;
}

inline std::vector<std::string> Describe(const ChannelListSnapshot& snapshot) { return Describe(snapshot.channels); }

inline AllChannelsSnapshot ReadAllChannelsByRow(int latestLimit) {
    AllChannelsSnapshot snapshot;
    const int latest = std::min(CountNewChannels(), latestLimit);
    for (int i = 0; i < latest; ++i) {
        ChannelRecord record;
        if (GetNewChannelAt(i, record))
            snapshot.latest.push_back(record);
    }
    // The catalogs' channels first, then the pointers into them, once the vector stays put.
    auto records = std::make_shared<std::vector<ChannelRecord>>();
    std::vector<size_t> ends;
    const int catalogs = CountCatalogs();
    for (int i = 0; i < catalogs; ++i) {
        CatalogChannels catalog;
        if (!GetCatalogAt(i, catalog.catalog))
            continue;
        const int channels = CountCatalogChannels(catalog.catalog.id);
        for (int j = 0; j < channels; ++j) {
            ChannelRecord record;
            if (GetCatalogChannelAt(catalog.catalog.id, j, record))
                records->push_back(record);
        }
        snapshot.catalogs.push_back(catalog);
        ends.push_back(records->size());
    }
    size_t begin = 0;
    for (size_t i = 0; i < ends.size(); ++i) {
        for (; begin < ends[i]; ++begin)
            snapshot.catalogs[i].channels.push_back(&(*records)[begin]);
    }
    snapshot.catalogue = records;
    snapshot.channelCount = CountChannels();
    snapshot.visitorSum = SumVisitors();
    return snapshot;
}

inline ChannelListSnapshot ReadHistoryByRow() {
    ChannelListSnapshot snapshot;
    const int count = CountHistory();
    for (int i = 0; i < count; ++i) {
        ChannelRecord record;
        if (GetHistoryChannelAt(i, record))
            snapshot.channels.push_back(record);
    }
    return snapshot;
}
