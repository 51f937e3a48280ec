// The whole-list reads against the row-at-a-time store functions on generated databases, their
// all-or-nothing outcome, and the favourites.
#include <fstream>
#include <random>

#include "channellist/store/tests/ListReadsReference.h"
#include "channellist/store/tests/StoreTestSupport.h"

namespace {

using sqlite3x::command;
using sqlite3x::connection;
using sqlite3x::reader;

class ListReadsTest : public StoreTest {
protected:
    std::string Text(connection& db, const std::string& sql, const std::string& parameter) {
        command query(db, sql);
        query.bind_text(1, parameter);
        reader row(query);
        return row.read() ? row.get_text(0) : std::string();
    }

    // Catalogs (some empty, some with only hidden channels, the "unknown" one among them) and
    // channels whose creation times, names and catalog order tie often, some of the last three
    // days, some hidden; history rows of live, hidden and vanished channels with tying times,
    // written in another order than the channels.
    void Generate(std::mt19937& random, bool withIndexes) {
        DeleteFileW(GetDatabasePath().c_str());
        connection db;
        OpenDirect(db);
        sqlite3x::transaction fill(db);
        fill.begin();
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        std::vector<std::string> times;
        for (const char* age : {"-0.1 days", "-1 days", "-2.9 days", "-3.2 days", "-10 days", "-40 days"})
            times.push_back(Text(db, "select datetime('now',?)", age));

        db.exec("update catalog set ctime='" + times[pick(3) + 3] + "'");
        const char* catalogNames[] = {"News", "Films", "Sport", "Music", "News"};
        const int catalogs = 2 + pick(6);
        for (int i = 0; i < catalogs; ++i) {
            command insert(db, "insert into catalog (ctime,utime,name) values(?,?,?)");
            insert.bind_text(1, times[pick(3) + 3]);
            insert.bind_text(2, times[0]);
            insert.bind_text(3, catalogNames[pick(5)]);
            insert.exec();
        }
        const char* channelNames[] = {"alpha", "beta", u8"频道", "Beta", "gamma"};
        const int channels = pick(70);
        for (int i = 0; i < channels; ++i) {
            command insert(db,
                           "insert into channel(ctime,utime,catalogid,name,desc,url,channelid,type,server,"
                           "portno,bitrate,visitors,hits,del) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
            insert.bind_text(1, times[pick(static_cast<int>(times.size()))]);
            insert.bind_text(2, times[pick(2)]);
            insert.bind_int(3, 1 + pick(catalogs + 1));  // now and then a catalog that gets no rows
            insert.bind_text(4, std::string(channelNames[pick(5)]) + (pick(3) == 0 ? std::to_string(i) : ""));
            insert.bind_text(5, "desc " + std::to_string(pick(4)));
            insert.bind_text(6, "http://example.test/" + std::to_string(i));
            insert.bind_text(7, "cid" + std::to_string(pick(8)));
            insert.bind_int(8, pick(3));
            insert.bind_text(9, "global");
            insert.bind_int(10, pick(2) * 8081);
            insert.bind_int(11, 100 * pick(9));
            insert.bind_int(12, pick(5000));
            insert.bind_int(13, pick(4));
            insert.bind_int(14, pick(5) == 0 ? 1 : 0);
            insert.exec();
        }
        std::vector<int> opened;
        for (int id = 1; id <= channels + 2; ++id)  // the last two ids have no channel
            if (pick(2) == 0)
                opened.push_back(id);
        std::shuffle(opened.begin(), opened.end(), random);
        for (int id : opened) {
            command insert(db, "insert into history (utime,id) values(?,?)");
            insert.bind_text(1, times[pick(3)]);
            insert.bind_int(2, id);
            insert.exec();
        }
        if (withIndexes) {
            db.exec("CREATE INDEX IF NOT EXISTS channel_name_channelid ON channel(name,channelid)");
            db.exec("CREATE INDEX IF NOT EXISTS channel_catalog_order ON channel(catalogid,ctime,name)");
        }
        fill.commit();
    }
};

TEST_F(ListReadsTest, WholeListsEqualTheRowByRowReads) {
    AllChannelsSnapshot fresh;
    ASSERT_TRUE(ReadAllChannels(10, fresh));
    EXPECT_EQ(Describe(ReadAllChannelsByRow(10)), Describe(fresh));
    ASSERT_EQ(1u, fresh.catalogs.size());
    EXPECT_EQ("unknown", fresh.catalogs[0].catalog.name);

    std::mt19937 random(4711);
    int latestCut = 0, historyTies = 0;
    for (int round = 0; round < 12; ++round) {
        Generate(random, round % 2 == 1);
        // The row-at-a-time pages do not depend on the limit: one full read serves every limit.
        const AllChannelsSnapshot byRow = ReadAllChannelsByRow(1000);
        for (int limit : {0, 3, 10, 1000}) {
            AllChannelsSnapshot all, expected = byRow;
            expected.latest.resize(std::min(expected.latest.size(), static_cast<size_t>(limit)));
            ASSERT_TRUE(ReadAllChannels(limit, all)) << round;
            EXPECT_EQ(Describe(expected), Describe(all)) << "round " << round << " limit " << limit;
        }
        if (byRow.latest.size() > 3)
            ++latestCut;
        ChannelListSnapshot history;
        ASSERT_TRUE(ReadHistoryList(history));
        EXPECT_EQ(Describe(ReadHistoryByRow()), Describe(history)) << "round " << round;
        connection db;
        OpenDirect(db);
        historyTies += db.query_int(
            "select count(*)>0 from (select history.utime from history join channel "
            "using(id) where del<>1 group by history.utime having count(*)>1)");
    }
    // The rounds did cut the latest list and did order equal history times.
    EXPECT_GT(latestCut, 3);
    EXPECT_GT(historyTies, 3);

    Exec("delete from catalog");
    AllChannelsSnapshot kept;
    kept.channelCount = 5;
    EXPECT_FALSE(ReadAllChannels(10, kept));
    EXPECT_EQ(5, kept.channelCount);
}

TEST_F(ListReadsTest, LockedOrBrokenDatabaseLeavesTheListsAsTheyWere) {
    const int id = AddChannel("a", 1, 3, "a");
    ASSERT_TRUE(TouchHistory(id));
    ChannelRecord a;
    a.name = "a";
    a.channelid = "id-a";
    ASSERT_TRUE(AddFavorite(a));

    AllChannelsSnapshot keptAll;
    keptAll.catalogs.resize(1);
    keptAll.catalogs[0].catalog.name = "shown before";
    keptAll.channelCount = 77;
    ChannelListSnapshot keptList;
    keptList.channels.resize(1);
    keptList.channels[0].name = "shown before";
    auto expectKept = [&](const char* when) {
        AllChannelsSnapshot all = keptAll;
        ChannelListSnapshot history = keptList, favorites = keptList;
        EXPECT_FALSE(ReadAllChannels(10, all)) << when;
        EXPECT_FALSE(ReadHistoryList(history)) << when;
        EXPECT_FALSE(ReadFavoriteList(favorites)) << when;
        EXPECT_EQ(Describe(keptAll), Describe(all)) << when;
        EXPECT_EQ(Describe(keptList), Describe(history)) << when;
        EXPECT_EQ(Describe(keptList), Describe(favorites)) << when;
        EXPECT_FALSE(IsFavorite(a)) << when;
        EXPECT_FALSE(AddFavorite(a)) << when;
    };

    {
        connection holder;
        holder.open(GetDatabasePath());
        holder.exec("begin exclusive;");
        holder.exec("insert into catalog (name) values('x');");
        expectKept("held by a writer");
        holder.exec("rollback;");
    }
    AllChannelsSnapshot all;
    ChannelListSnapshot history, favorites;
    ASSERT_TRUE(ReadAllChannels(10, all));
    ASSERT_TRUE(ReadHistoryList(history));
    ASSERT_TRUE(ReadFavoriteList(favorites));
    EXPECT_EQ(1, all.channelCount);
    EXPECT_EQ(3, all.visitorSum);
    EXPECT_EQ(Describe(history.channels), Describe(favorites.channels));
    ASSERT_EQ(1u, history.channels.size());

    std::mt19937 random(7);
    std::string garbage(5000, '\0');
    for (char& byte : garbage)
        byte = static_cast<char>(random());
    {
        std::ofstream out(GetDatabasePath().c_str(), std::ios::binary | std::ios::trunc);
        out.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }
    expectKept("broken file");
    std::ifstream in(GetDatabasePath().c_str(), std::ios::binary);
    EXPECT_EQ(garbage, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

TEST_F(ListReadsTest, FavoritesShowTheirLiveChannelNewestFirst) {
    auto record = [](const std::string& name) {
        ChannelRecord channel;
        channel.name = name;
        channel.channelid = "id-" + name;
        return channel;
    };
    const int a = AddChannel("a", 1, 5), b = AddChannel("b", 1, 7);
    AddChannel("c", 1, 11);

    EXPECT_FALSE(IsFavorite(record("a")));
    EXPECT_TRUE(AddFavorite(record("a")));
    EXPECT_TRUE(AddFavorite(record("b")));
    EXPECT_TRUE(AddFavorite(record("a")));  // again: no second row, the first time stays
    EXPECT_TRUE(IsFavorite(record("a")));
    EXPECT_FALSE(IsFavorite(record("c")));
    ChannelRecord otherId = record("a");
    otherId.channelid = "elsewhere";
    EXPECT_FALSE(IsFavorite(otherId));
    const std::vector<std::string> bThenA = {"b " + std::to_string(b), "a " + std::to_string(a)};
    EXPECT_EQ(bThenA, FavoriteLines());

    Exec("UPDATE favorite SET utime='2001-01-01 00:00:00' WHERE name='b'");
    EXPECT_EQ((std::vector<std::string>{"a " + std::to_string(a), "b " + std::to_string(b)}), FavoriteLines());

    Exec("UPDATE channel SET del=1 WHERE name='a'");
    EXPECT_EQ(std::vector<std::string>{"b " + std::to_string(b)}, FavoriteLines());
    EXPECT_TRUE(IsFavorite(record("a")));
    const int a2 = AddChannel("a", 1, 5);
    AddChannel("a", 1, 5);
    EXPECT_EQ((std::vector<std::string>{"a " + std::to_string(a2), "b " + std::to_string(b)}), FavoriteLines());

    EXPECT_TRUE(RemoveFavorite(record("a")));
    EXPECT_FALSE(IsFavorite(record("a")));
    EXPECT_TRUE(IsFavorite(record("b")));
    EXPECT_EQ(std::vector<std::string>{"b " + std::to_string(b)}, FavoriteLines());
}

}  // namespace
