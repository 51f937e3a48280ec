// What a synchronisation leaves in the channel database: new, refreshed, hidden and
// aged-out rows, and nothing at all when a database step fails.

#include <gtest/gtest.h>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ChannelSync.h"
#include "channellist/store/tests/SyncFakeEngine.h"
#include "channellist/store/tests/SyncTestSupport.h"

namespace {

using SyncMergeTest = SyncFixture;

std::string Where(const std::string& name) { return " FROM channel WHERE name='" + name + "'"; }

TEST_F(SyncMergeTest, StoresChannelsWithTheirCatalogs) {
    FakeChannel news = MakeChannel(u8"星海新闻", u8"新闻资讯", 1234);
    news.type = 0;
    news.bitrate = 512;
    ASSERT_TRUE(Sync({news, MakeChannel("film", "Films"), MakeChannel("loose", "")}));

    TestDatabase db;
    EXPECT_EQ(3, db.Int("SELECT count(*) FROM channel WHERE del=0"));
    EXPECT_EQ(3, db.Int("SELECT count(*) FROM catalog"));
    const std::string row = Where(u8"星海新闻");
    EXPECT_EQ(u8"新闻资讯", db.Text("SELECT catalog.name FROM catalog WHERE id=(SELECT catalogid" + row + ")"));
    EXPECT_EQ("id-" + news.name, db.Text("SELECT channelid" + row));
    EXPECT_EQ(news.description, db.Text("SELECT desc" + row));
    EXPECT_EQ(news.homePage, db.Text("SELECT url" + row));
    EXPECT_EQ("global", db.Text("SELECT server" + row));
    EXPECT_EQ(0, db.Int("SELECT portno" + row));
    EXPECT_EQ(0, db.Int("SELECT hits" + row));
    EXPECT_EQ(0, db.Int("SELECT type" + row));
    EXPECT_EQ(512, db.Int("SELECT bitrate" + row));
    EXPECT_EQ(1234, db.Int("SELECT visitors" + row));
    EXPECT_EQ("unknown", db.Text("SELECT catalog.name FROM catalog WHERE id=(SELECT catalogid" + Where("loose") + ")"));
    // The list of updates belongs to the sync's connection only.
    EXPECT_EQ(0, db.Int("SELECT count(*) FROM sqlite_master WHERE name='updates'"));
}

TEST_F(SyncMergeTest, RefreshKeepsIdentityHidesMissingAndRevealsReturning) {
    ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "News"), MakeChannel("c", "Sport")}));
    TestDatabase db;
    db.Exec("UPDATE channel SET ctime='2001-02-03 04:05:06'");
    const int idOfA = db.Int("SELECT id" + Where("a"));

    FakeChannel changed = MakeChannel("a", "Sport", 999);
    changed.description = "new words";
    ASSERT_TRUE(Sync({changed, MakeChannel("b", "News")}));
    EXPECT_EQ(idOfA, db.Int("SELECT id" + Where("a")));
    EXPECT_EQ("2001-02-03 04:05:06", db.Text("SELECT ctime" + Where("a")));
    EXPECT_NE("2001-02-03 04:05:06", db.Text("SELECT utime" + Where("a")));
    EXPECT_EQ("new words", db.Text("SELECT desc" + Where("a")));
    EXPECT_EQ(999, db.Int("SELECT visitors" + Where("a")));
    EXPECT_EQ("Sport", db.Text("SELECT name FROM catalog WHERE id=(SELECT catalogid" + Where("a") + ")"));
    EXPECT_EQ(1, db.Int("SELECT del" + Where("c")));
    EXPECT_EQ(0, db.Int("SELECT del" + Where("b")));

    ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "News"), MakeChannel("c", "Sport")}));
    EXPECT_EQ(0, db.Int("SELECT del" + Where("c")));
    EXPECT_EQ(3, db.Int("SELECT count(*) FROM channel"));
}

TEST_F(SyncMergeTest, UndeliverableChannelsAreSkippedAndAllFailingHidesEverything) {
    engine_.failingIndices = {1};
    ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "News"), MakeChannel("c", "News")}));
    TestDatabase db;
    EXPECT_EQ(0, db.Int("SELECT count(*)" + Where("b")));
    EXPECT_EQ(2, db.Int("SELECT count(*) FROM channel WHERE del=0"));

    engine_.failingIndices = {0, 1, 2};
    ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "News"), MakeChannel("c", "News")}));
    EXPECT_EQ(2, db.Int("SELECT count(*) FROM channel WHERE del=1"));
    EXPECT_EQ(0, db.Int("SELECT count(*) FROM channel WHERE del=0"));
}

TEST_F(SyncMergeTest, ChannelsSharingANameStayVisibleWhileTheNameIsListed) {
    FakeChannel first = MakeChannel("twin", "News");
    FakeChannel second = MakeChannel("twin", "News");
    second.channelId = "other-id";
    ASSERT_TRUE(Sync({first, second}));
    TestDatabase db;
    EXPECT_EQ(2, db.Int("SELECT count(*)" + Where("twin")));

    ASSERT_TRUE(Sync({second}));
    EXPECT_EQ(2, db.Int("SELECT count(*)" + Where("twin") + " AND del=0"));
}

TEST_F(SyncMergeTest, EmptyCatalogNameRecreatesPurgedUnknownCatalog) {
    ASSERT_TRUE(Sync({MakeChannel("a", "News")}));
    TestDatabase db;
    ASSERT_EQ(0, db.Int("SELECT count(*) FROM catalog WHERE name='unknown'"));

    ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "")}));
    EXPECT_EQ(1, db.Int("SELECT count(*) FROM catalog WHERE name='unknown'"));
    EXPECT_EQ(db.Int("SELECT id FROM catalog WHERE name='unknown'"), db.Int("SELECT catalogid" + Where("b")));
}

TEST_F(SyncMergeTest, AgesOutHiddenChannelsEmptyCatalogsAndOldHistory) {
    ASSERT_TRUE(Sync({MakeChannel("keep", "News"), MakeChannel("week-old", "Old"), MakeChannel("six-days", "Recent"),
                      MakeChannel("hidden-today", "News")}));
    TestDatabase db;
    db.Exec("UPDATE channel SET utime=datetime('now','-7 days','-1 hours') WHERE name='week-old'");
    db.Exec("UPDATE channel SET utime=datetime('now','-6 days') WHERE name='six-days'");
    db.Exec("CREATE TABLE IF NOT EXISTS history(utime DATETIME,id INTEGER UNIQUE);");
    db.Exec("INSERT INTO history VALUES(datetime('now','-30 days','-1 hours'),1)");
    db.Exec("INSERT INTO history VALUES(datetime('now','-29 days'),2)");
    db.Exec("INSERT INTO history VALUES(datetime('now'),3)");

    ASSERT_TRUE(Sync({MakeChannel("keep", "News")}));
    EXPECT_EQ(0, db.Int("SELECT count(*)" + Where("week-old")));
    EXPECT_EQ(1, db.Int("SELECT del" + Where("six-days")));
    EXPECT_EQ(1, db.Int("SELECT del" + Where("hidden-today")));
    EXPECT_EQ(0, db.Int("SELECT count(*) FROM catalog WHERE name='Old'"));
    EXPECT_EQ(1, db.Int("SELECT count(*) FROM catalog WHERE name='Recent'"));
    EXPECT_EQ(5, db.Int("SELECT sum(id) FROM history"));
}

class SyncFailureTest : public SyncMergeTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Sync({MakeChannel("a", "News"), MakeChannel("b", "Sport")}));
        TestDatabase db;
        db.Exec("UPDATE channel SET utime='2020-01-01 00:00:00'");
        before_ = Snapshot();
        engine_.calls.clear();
    }

    std::string Snapshot() {
        TestDatabase db;
        return db.Text("SELECT group_concat(id||'|'||name||'|'||catalogid||'|'||utime||'|'||del, ';') FROM channel") +
               " / " + db.Text("SELECT group_concat(id||'|'||name, ';') FROM catalog");
    }

    std::string before_;
};

TEST_F(SyncFailureTest, FailureInTheMiddleOfTheLoopLeavesNothingBehind) {
    {
        TestDatabase db;
        db.Exec(
            "CREATE TRIGGER refuse AFTER INSERT ON channel WHEN NEW.name='bad' "
            "BEGIN SELECT RAISE(ABORT,'refused'); END;");
    }
    EXPECT_FALSE(Sync({MakeChannel("new", "Films"), MakeChannel("a", "News"), MakeChannel("bad", "Music"),
                       MakeChannel("late", "News")}));
    EXPECT_EQ(before_, Snapshot());
    EXPECT_EQ(1, engine_.CallCount("close"));
    EXPECT_EQ("close", engine_.calls.back());
    EXPECT_EQ(0, engine_.CallCount("get_channel 3"));
}

TEST_F(SyncFailureTest, ReaderHoldingTheFileAtCommitRollsTheMergeBack) {
    // A reader of the window thread holds its shared lock while the merge commits.
    TestDatabase reader;
    engine_.beforeChannel = [&reader](int index) {
        if (index == 1)
            reader.Exec("BEGIN; SELECT count(*) FROM channel;");
    };
    EXPECT_FALSE(Sync({MakeChannel("new", "Films"), MakeChannel("late", "News")}));
    reader.Exec("COMMIT;");
    EXPECT_EQ(before_, Snapshot());
    EXPECT_EQ(1, engine_.CallCount("close"));

    // Nothing is left locked: the next sync goes through.
    engine_.beforeChannel = nullptr;
    EXPECT_TRUE(Sync({MakeChannel("new", "Films")}));
    EXPECT_EQ(1, TestDatabase().Int("SELECT count(*) FROM channel WHERE del=0"));
}

}  // namespace
