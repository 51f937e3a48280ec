// Favourites across synchronisations, and a database holding them read by the store functions
// that know nothing of them.

#include <gtest/gtest.h>

#include "channellist/store/ChannelSync.h"
#include "channellist/store/tests/ListReadsReference.h"
#include "channellist/store/tests/SyncFakeEngine.h"
#include "channellist/store/tests/SyncTestSupport.h"

namespace {

using SyncFavoriteTest = SyncFixture;

TEST_F(SyncFavoriteTest, HiddenWhileMissingAndBackUnderANewRow) {
    ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "Sport")}));
    TestDatabase db;
    const int oldB = db.Int("SELECT id FROM channel WHERE name='b'");
    ChannelRecord b;
    b.name = "b";
    b.channelid = "id-b";
    ASSERT_TRUE(AddFavorite(b));
    EXPECT_EQ(std::vector<std::string>{"b " + std::to_string(oldB)}, FavoriteLines());

    ASSERT_TRUE(Sync({MakeChannel("a", "News")}));
    EXPECT_TRUE(FavoriteLines().empty());
    // A week later the hidden row goes; the favourite stays.
    db.Exec("UPDATE channel SET utime=datetime('now','-8 days') WHERE name='b'");
    ASSERT_TRUE(Sync({MakeChannel("a", "News")}));
    ASSERT_EQ(0, db.Int("SELECT count(*) FROM channel WHERE name='b'"));
    EXPECT_TRUE(FavoriteLines().empty());
    EXPECT_TRUE(IsFavorite(b));

    ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "Films")}));
    const int newB = db.Int("SELECT id FROM channel WHERE name='b'");
    EXPECT_NE(oldB, newB);
    EXPECT_EQ(std::vector<std::string>{"b " + std::to_string(newB)}, FavoriteLines());
}

TEST_F(SyncFavoriteTest, StoreFunctionsAndSynchronisationIgnoreTheFavoriteTable) {
    const std::vector<FakeChannel> list = {MakeChannel("a", "News", 3), MakeChannel("b", "News", 5),
                                           MakeChannel("c", "Sport", 7), MakeChannel("d", "", 11)};
    ASSERT_TRUE(Sync(list));
    ASSERT_TRUE(TouchHistory(1));
    ASSERT_TRUE(TouchHistory(3));
    auto seen = [] {
        std::vector<std::string> lines = Describe(ReadAllChannelsByRow(10));
        for (const std::string& line : Describe(ReadHistoryByRow()))
            lines.push_back("history " + line);
        std::vector<ChannelRecord> found;
        EXPECT_TRUE(SearchChannels(L"description", found));
        for (const std::string& line : Describe(found))
            lines.push_back("found " + line);
        return lines;
    };
    const std::vector<std::string> without = seen();
    ASSERT_EQ(4u, ReadAllChannelsByRow(10).latest.size());

    ChannelRecord favorite;
    favorite.name = "c";
    favorite.channelid = "id-c";
    ASSERT_TRUE(AddFavorite(favorite));
    favorite.name = "gone";
    ASSERT_TRUE(AddFavorite(favorite));
    EXPECT_EQ(without, seen());

    ASSERT_TRUE(Sync(list));
    EXPECT_EQ(without, seen());
    TestDatabase db;
    EXPECT_EQ(2, db.Int("SELECT count(*) FROM favorite"));
}

}  // namespace
